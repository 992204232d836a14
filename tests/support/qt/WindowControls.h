#pragma once
// What the window must show when it opens, control by control: where each sits, what it
// says, what its list holds and where Tab takes the focus. One table for every window test
// that needs a control's place or caption.

#include <QRect>
#include <QStringList>
#include <string_view>
#include <vector>

struct WindowControl {
    const char* name;
    const char* container;
    QRect rect;
    const char* caption = nullptr;  // button or label text, frame title
    const char* tooltip = nullptr;
    QStringList items = {};  // a list's items, the selected one shown
    int selected = -1;
    int tab = -1;  // Tab presses from cmb1_0 (which has the focus) to reach it; -1 never
};

inline const std::vector<WindowControl>& WindowControls() {
    static const std::vector<WindowControl> controls = [] {
        QStringList versions{"Automatic"}, masks{"Automatic"};
        for (int v = 1; v <= 40; ++v) versions << QString::number(v);
        for (int m = 0; m <= 7; ++m) masks << QString::number(m);
        masks << "最低罚分";
        return std::vector<WindowControl>{
            // The help page follows the text box, for reading it by keyboard.
            {"WebBrow", "Form1", {612, 400, 207, 206}, nullptr, nullptr, {}, -1, 9},
            {"Picture1", "Form1", {8, 8, 600, 600}, nullptr, nullptr, {}, -1, 5},
            {"Frame1", "Form1", {612, 8, 207, 385}, "二维码设置"},
            {"cmb1_0", "Frame1", {8, 16, 97, 21}, nullptr, "Version", versions, 0, 0},
            {"cmb1_1",
             "Frame1",
             {112, 16, 89, 21},
             nullptr,
             "Error correction level",
             {"L - 7%", "M - 15%", "Q - 25%", "H - 30%"},
             1,
             1},
            {"cmb1_2", "Frame1", {8, 40, 97, 21}, nullptr, "Mask type", masks, 0, 2},
            {"cmb1_3",
             "Frame1",
             {112, 40, 89, 21},
             nullptr,
             "Text encoding",
             {"ANSI", "UTF-8", "UTF-8+ECI", "ANSI+ECI"},
             1,
             3},
            // The option buttons are one group: Tab enters it once, the arrows move inside.
            {"Option1_0", "Frame1", {8, 64, 17, 13}, "Option1", nullptr, {}, -1, 4},
            {"Option1_1", "Frame1", {56, 64, 17, 13}, "Option1"},
            {"Option1_2", "Frame1", {104, 64, 17, 13}, "Option1"},
            {"Label1", "Frame1", {24, 64, 33, 17}, "小图"},
            {"Label2", "Frame1", {72, 64, 33, 17}, "中图"},
            {"Label3", "Frame1", {120, 64, 33, 17}, "大图"},
            {"Text1", "Frame1", {8, 80, 193, 249}, nullptr, nullptr, {}, -1, 8},
            {"Command1", "Frame1", {8, 336, 89, 38}, "生成二维码", nullptr, {}, -1, 7},
            {"Command2", "Frame1", {104, 336, 97, 38}, "保存图片", nullptr, {}, -1, 6},
        };
    }();
    return controls;
}

// The side column's Tab stops, which follow the described ones (the last is WebBrow) in this
// order while the content type is "文本" and no logo is chosen; Tab then goes round to cmb1_0.
inline const std::vector<const char*> kColumnTabStops = {"cmbContentType", "cmdForeground",
                                                         "cmdBackground", "spnMargin", "cmdLogo"};

// The table's row for name; a row with no name and an empty place when there is none.
inline const WindowControl& Control(std::string_view name) {
    static const WindowControl none{"", "", QRect()};
    for (const WindowControl& c : WindowControls())
        if (name == c.name) return c;
    return none;
}
