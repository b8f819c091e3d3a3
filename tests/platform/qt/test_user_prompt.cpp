// Message boxes of the Qt binding: titles, lines, icons, buttons and answers.

#include <QProxyStyle>
#include <QTest>

#include "QtTestSupport.h"
#include "platform/qt/QtUserPrompt.h"

using namespace psion;
using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;
using psion::testing::MessageBoxSeen;

namespace {

// A style that puts its stock icons on dialog buttons, as desktop themes do;
// the offscreen platform's own theme puts none.
class StyleWithButtonIcons : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

}  // namespace

class UserPromptTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QApplication::setStyle(new StyleWithButtonIcons); }

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
        QCOMPARE(seen[0].buttonsWithIcons, QStringList());
        QCOMPARE(seen[0].role, QAccessible::AlertMessage);
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
        QCOMPARE(seen[0].buttonsWithIcons, QStringList());
        QCOMPARE(seen[0].role, QAccessible::AlertMessage);
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
        QCOMPARE(seen[0].icon, QMessageBox::NoIcon);
        QCOMPARE(seen[0].buttonsWithIcons, QStringList());
    }
};

QTEST_MAIN(UserPromptTest)
#include "test_user_prompt.moc"
