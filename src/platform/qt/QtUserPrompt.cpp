#include "platform/qt/QtUserPrompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include "platform/qt/OpenerWindow.h"
#include "platform/qt/TextCodec.h"

namespace psion::qt {

platform::PromptAnswer QtUserPrompt::Show(const platform::PromptMessage& message) {
    QWidget* opener = OpenerWindow();

    QMessageBox box(opener);
    box.setObjectName(QStringLiteral("userPrompt"));
    const std::string title =
        message.title.empty() ? std::string(platform::kApplicationTitle) : message.title;
    box.setWindowTitle(DecodeText(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(DecodeText(message.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setIcon(message.icon == platform::PromptIcon::Critical ? QMessageBox::Critical
                                                               : QMessageBox::NoIcon);
    if (message.buttons == platform::PromptButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    // The style's stock icons (a tick, coloured balls) appear on no other
    // button of the program; the message's own icon stays.
    for (QAbstractButton* button : box.buttons()) button->setIcon(QIcon());
    box.exec();

    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes:
            return platform::PromptAnswer::Yes;
        case QMessageBox::No:
            return platform::PromptAnswer::No;
        default:
            break;
    }
    // A Yes/No box closed without an answer counts as No, its escape button.
    return message.buttons == platform::PromptButtons::YesNo ? platform::PromptAnswer::No
                                                             : platform::PromptAnswer::Ok;
}

}  // namespace psion::qt
