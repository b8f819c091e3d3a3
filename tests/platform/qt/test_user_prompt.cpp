// Message boxes of the Qt binding: titles, lines, icons, buttons and answers.

#include <QTest>

#include "QtTestSupport.h"
#include "platform/qt/QtUserPrompt.h"

using namespace psion;
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using psion::testing::MessageBoxSeen;

class UserPromptTest : public QObject {
    Q_OBJECT

  private slots:
    void okBoxWithoutTitleBearsTheApplicationTitle() {
        qt::QtUserPrompt prompt;
        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::Ok, seen));
        const PromptAnswer answer =
            prompt.Show({.text = platform::JoinLines({"Error shelling ", "second line"}),
                         .title = "",
                         .buttons = PromptButtons::Ok,
                         .icon = PromptIcon::Critical});

        QCOMPARE(answer, PromptAnswer::Ok);
        QCOMPARE(seen.size(), std::size_t(1));
        QCOMPARE(seen[0].title, QStringLiteral("Psion Interface"));
        QCOMPARE(testing::Lines(seen[0].text), (QStringList{"Error shelling ", "second line"}));
        QCOMPARE(seen[0].icon, QMessageBox::Critical);
        QCOMPARE(seen[0].buttons, QStringList{"OK"});
    }

    void questionDefaultsToYesAndReturnsTheAnswer() {
        qt::QtUserPrompt prompt;
        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::Yes, seen));
        driver.Then(testing::AnswerMessageBox(QMessageBox::No, seen));
        const platform::PromptMessage question{.text = "File change requested.\r\nAre you sure?",
                                               .title = "Psion Setup",
                                               .buttons = PromptButtons::YesNo,
                                               .icon = PromptIcon::None};
        QCOMPARE(prompt.Show(question), PromptAnswer::Yes);
        QCOMPARE(prompt.Show(question), PromptAnswer::No);

        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[0].title, QStringLiteral("Psion Setup"));
        QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(seen[0].buttons, (QStringList{"Yes", "No"}));
        QCOMPARE(seen[0].defaultButton, QStringLiteral("Yes"));
    }

    void textInTheLocaleCodePageIsDecoded() {
        qt::QtUserPrompt prompt;
        std::vector<MessageBoxSeen> seen;
        testing::ModalDriver driver;
        driver.Then(testing::AnswerMessageBox(QMessageBox::Ok, seen));
        const QString text = QStringLiteral("Daten \u00fcbertragen");
        prompt.Show({.text = text.toLocal8Bit().toStdString(), .title = "Send to Psion"});
        QCOMPARE(seen.size(), std::size_t(1));
        QCOMPARE(seen[0].text, text);
    }
};

QTEST_MAIN(UserPromptTest)
#include "test_user_prompt.moc"
