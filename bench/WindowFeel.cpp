// The window's feel: from Ctrl+Enter to the symbol drawn, and to the status line complete
// (the readers' verdicts in), at the three offered sides; and the longest time the window did
// not answer events meanwhile. Wall-clock milliseconds, median (min-max) of the repetitions.
//
// Usage: qrdesk_window_feel [repetitions]   (QT_QPA_PLATFORM=offscreen, or under X)

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/Memory.h"
#include "ui/Controls.h"
#include "ui/Form1.h"

namespace {

struct Figures {
    std::vector<double> drawn, complete, stalled;
};

std::string Summary(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    char line[96];
    std::snprintf(line, sizeof line, "%7.1f (%.1f-%.1f)", v[v.size() / 2], v.front(), v.back());
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    qrdesk::KeepFreedMemoryForReuse();  // as the program does
    QApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    qrdesk::ProgramOptions options;
    options.plainWebPanel = true;
    qrdesk::Form1 window(options);
    window.ShowMessage = [](const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) return 1;
    auto* text = window.findChild<QPlainTextEdit*>("Text1");
    auto* level = window.findChild<QComboBox*>("cmb1_1");
    auto* picture = window.findChild<qrdesk::PictureBox*>("Picture1");
    if (!text || !level || !picture) return 1;

    // The event loop's longest pause: a timer that should fire every millisecond.
    QElapsedTimer sinceTick;
    double longestPause = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestPause = std::max(longestPause, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });

    struct Payload {
        const char* name;
        QString text;
        int levelIndex;  // 0 L, 1 M
    };
    const Payload payloads[] = {
        {"1-M HELLO WORLD", QStringLiteral("HELLO WORLD"), 1},
        {"40-L 2953 bytes", QString(2953, QChar('a')), 0},
    };
    std::printf("%-17s %5s  %-22s %-22s %-22s\n", "payload", "side", "drawn ms",
                "status complete ms", "longest pause ms");
    for (const Payload& payload : payloads) {
        text->setPlainText(payload.text);
        level->setCurrentIndex(payload.levelIndex);
        for (int option = 0; option < 3; ++option) {
            QTest::mouseClick(window.findChild<QRadioButton*>(
                                  qPrintable(QStringLiteral("Option1_%1").arg(option))),
                              Qt::LeftButton);
            Figures figures;
            for (int r = 0; r < repetitions + 1; ++r) {
                QElapsedTimer clock;
                clock.start();
                QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier);
                picture->repaint();  // drawn on the screen's back buffer, as the next frame
                const double drawn = clock.nsecsElapsed() / 1e6;
                longestPause = 0;
                sinceTick.start();
                ticker.start();
                while (window.Checking())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                ticker.stop();
                const double complete = clock.nsecsElapsed() / 1e6;
                if (r == 0) continue;  // the first: readers and caches warming up
                figures.drawn.push_back(drawn);
                figures.complete.push_back(complete);
                figures.stalled.push_back(longestPause);
            }
            std::printf("%-17s %5d  %-22s %-22s %-22s\n", payload.name, picture->width(),
                        Summary(figures.drawn).c_str(), Summary(figures.complete).c_str(),
                        Summary(figures.stalled).c_str());
            if (window.StatusLines().size() < 2) return 1;  // no verdicts: not measured
        }
    }
    return 0;
}
