#pragma once
// Awkward characters and the bytes the window and qrdesk-cli must make of them, as the
// platform's converters write them: U+FFFD for a lone surrogate in UTF-8, the default
// character "?" for what the ANSI code page lacks; NUL is a byte like any other.

#include <QString>
#include <vector>

struct AwkwardText {
    const char* name;
    QString text;
    const char* codePage;  // nullptr: UTF-8; otherwise ANSI text in this code page
    const char* hex;       // the bytes the symbol holds
};

inline const std::vector<AwkwardText>& AwkwardTexts() {
    static const std::vector<AwkwardText> texts = [] {
        const QString nul = QString("a") + QChar(0) + "b" + QChar(0);
        const QChar high(0xD83D), low(0xDE00);
        const QString emoji = QString::fromUtf8("😀");
        const QString coder = QString::fromUtf8("👩‍💻");  // woman, zero-width joiner, laptop
        return std::vector<AwkwardText>{
            {"NUL, UTF-8", nul, nullptr, "61006200"},
            {"NUL, ANSI", nul, "GBK", "61006200"},
            {"lone high surrogate, UTF-8", QString("x") + high + "y", nullptr, "78efbfbd79"},
            {"lone low surrogate, UTF-8", QString(low) + "y", nullptr, "efbfbd79"},
            {"reversed pair, UTF-8", QString(low) + high, nullptr, "efbfbdefbfbd"},
            {"lone high surrogate, ANSI", QString("x") + high + "y", "GBK", "783f79"},
            {"emoji, UTF-8", emoji, nullptr, "f09f9880"},
            {"emoji sequence, UTF-8", coder, nullptr, "f09f91a9e2808df09f92bb"},
            {"emoji, ANSI", "a" + emoji + "b", "GBK", "613f62"},
            {"Thai and Arabic, not in GBK", QString::fromUtf8("ก=ع"), "GBK", "3f3d3f"},
            {"Chinese, in GBK", QString::fromUtf8("码"), "GBK", "c2eb"},
            {"Euro sign, not in Latin-1", QString::fromUtf8("é€"), "ISO-8859-1", "e93f"},
        };
    }();
    return texts;
}
