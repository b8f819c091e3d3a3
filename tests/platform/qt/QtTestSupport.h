#pragma once

// Helpers that play the user in the Qt binding's tests: they answer message
// boxes and act inside modal dialogs while the code under test waits in them.

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CaptionMeasure.h"
#include "platform/FormDescription.h"
#include "platform/qt/FormWidget.h"

namespace psion::testing {

// What a message box showed when it came up.
struct MessageBoxSeen {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;    // texts of its buttons
    QString defaultButton;  // text of its default button
    QStringList buttonsWithIcons;
    QAccessible::Role role = QAccessible::NoRole;  // as screen readers see the box
};

// Runs one step for each modal window that comes up, in order. A step runs
// from the event loop of the modal window it is given, so it may open further
// modal windows itself; their steps follow. Should the code under test open
// fewer modal windows than expected, or a step leave its window open, the
// watchdog closes the modal windows after a while so the test fails instead of
// hanging.
class ModalDriver {
  public:
    using Step = std::function<void(QWidget& modal)>;

    ModalDriver() {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
        poll_.start();
        sinceProgress_.start();
    }

    ModalDriver& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }

    std::size_t Pending() const { return steps_.size(); }
    bool TimedOut() const { return timedOut_; }

  private:
    static constexpr char kHandled[] = "psionTestHandled";
    static constexpr int kWatchdogMs = 15000;

    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && !modal->property(kHandled).toBool() && modal->isVisible() &&
            !steps_.empty()) {
            modal->setProperty(kHandled, true);
            Step step = std::move(steps_.front());
            steps_.pop_front();
            sinceProgress_.restart();
            QPointer<QWidget> target(modal);
            // Outside this timer's own callback, so the timer keeps polling
            // while the step waits in nested modal windows.
            QTimer::singleShot(0, [step = std::move(step), target] {
                if (target) step(*target);
            });
            return;
        }
        if (modal != nullptr && sinceProgress_.elapsed() > kWatchdogMs) {
            timedOut_ = true;
            modal->close();
            sinceProgress_.restart();
        }
    }

    QTimer poll_;
    QElapsedTimer sinceProgress_;
    std::deque<Step> steps_;
    bool timedOut_ = false;
};

inline MessageBoxSeen Describe(const QMessageBox& box) {
    MessageBoxSeen seen;
    seen.title = box.windowTitle();
    seen.text = box.text();
    seen.icon = box.icon();
    // Button texts without the access-key marks some platform themes add.
    for (QAbstractButton* button : box.buttons()) {
        seen.buttons.append(button->text().remove('&'));
        if (!button->icon().isNull()) seen.buttonsWithIcons.append(seen.buttons.back());
    }
    if (box.defaultButton() != nullptr)
        seen.defaultButton = box.defaultButton()->text().remove('&');
    if (QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(const_cast<QMessageBox*>(&box))) {
        seen.role = accessible->role();
    }
    return seen;
}

// A step that records the message box, runs whileShown, and clicks the button.
inline ModalDriver::Step AnswerMessageBox(QMessageBox::StandardButton answer,
                                          std::vector<MessageBoxSeen>& seen,
                                          std::function<void()> whileShown = {}) {
    return [answer, &seen, whileShown](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        if (box == nullptr) {
            MessageBoxSeen notABox;
            notABox.title =
                QStringLiteral("<not a message box: %1>").arg(modal.metaObject()->className());
            seen.push_back(notABox);
            modal.close();
            return;
        }
        seen.push_back(Describe(*box));
        if (whileShown) whileShown();
        QAbstractButton* button = box->button(answer);
        if (button == nullptr) {
            box->close();
            return;
        }
        QTest::mouseClick(button, Qt::LeftButton);
    };
}

// What a screen reader hears of one accessible object.
struct AccessibleSeen {
    QAccessible::Role role = QAccessible::NoRole;
    QString name;
    QString description;
    QString value;
    QStringList labelledBy;  // names of the objects it is labelled by
};

inline AccessibleSeen Hear(QObject* object) {
    AccessibleSeen seen;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(object);
    if (accessible == nullptr) return seen;
    seen.role = accessible->role();
    seen.name = accessible->text(QAccessible::Name);
    seen.description = accessible->text(QAccessible::Description);
    seen.value = accessible->text(QAccessible::Value);
    for (const auto& [other, relation] : accessible->relations(QAccessible::Label)) {
        seen.labelledBy.append(other->text(QAccessible::Name));
    }
    return seen;
}

// Every accessible name and description in the program: of every widget, and
// of every object reached through the accessible children of its windows.
inline QStringList EveryAccessibleNameAndDescription() {
    QStringList texts;
    const auto collect = [&texts](QAccessibleInterface& accessible) {
        texts.append(accessible.text(QAccessible::Name));
        texts.append(accessible.text(QAccessible::Description));
    };
    for (QWidget* widget : QApplication::allWidgets()) {
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget)) {
            collect(*accessible);
        }
    }
    std::function<void(QAccessibleInterface&, int)> walk = [&](QAccessibleInterface& node,
                                                               int depth) {
        collect(node);
        if (depth > 12) return;
        for (int i = 0; i < node.childCount(); ++i) {
            if (QAccessibleInterface* child = node.child(i)) walk(*child, depth + 1);
        }
    };
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window)) {
            walk(*accessible, 0);
        }
    }
    return texts;
}

inline QStringList Lines(const QString& text) { return text.split(QLatin1Char('\n')); }

template <typename Widget = QWidget>
Widget* FindControl(const QWidget& window, const platform::ControlRef& control) {
    return window.findChild<Widget*>(qt::ControlObjectName(control));
}

// Every caption of a form that would be cut off, with its measure; empty when
// all show in full. Its lists' entries are measured by MeasureCaptions.
inline QStringList ClippedCaptions(const QWidget& window, const platform::FormDescription& form) {
    QStringList clipped;
    std::vector<CaptionFit> fits;
    for (const platform::ControlDescription& control : form.controls) {
        if (control.kind == platform::ControlKind::DropDownList ||
            control.kind == platform::ControlKind::TextBox) {
            continue;
        }
        QWidget* widget = FindControl(window, control.id);
        if (widget == nullptr) {
            clipped.append(QStringLiteral("missing control ") + qt::ControlObjectName(control.id));
        } else if (!MeasureCaption(*widget, fits)) {
            clipped.append(QStringLiteral("no caption to measure in ") + widget->objectName());
        }
    }
    return clipped + CutOff(fits);
}

inline QString ExpectedFamily(const std::string& face) {
    return face == "Palatino Linotype" ? QStringLiteral("P052") : QStringLiteral("Liberation Sans");
}

// Position, font and caption of every control of a form against its table.
inline void CheckBuiltFromTable(const QWidget& window, const platform::FormDescription& form) {
    for (const platform::ControlDescription& control : form.controls) {
        QWidget* widget = FindControl(window, control.id);
        QVERIFY2(widget != nullptr, control.id.name.c_str());
        const QString name = widget->objectName();
        // Pixels are twips / 15 at 96 dpi. A control may have grown to show
        // its caption in the substitute face, never shrunk, and it keeps the
        // edge or centre its text is aligned to, so lined-up captions stay so.
        const QRect table(qRound(control.position.left / 15.0), qRound(control.position.top / 15.0),
                          qRound(control.position.width / 15.0),
                          qRound(control.position.height / 15.0));
        const QRect actual = widget->geometry();
        QVERIFY2(actual.contains(table), qPrintable(name));
        switch (control.kind) {
            case platform::ControlKind::Button:
                QCOMPARE(actual, table);  // a long caption wraps instead
                break;
            case platform::ControlKind::Label:
                QCOMPARE(actual.top(), table.top());
                if (control.alignment == platform::TextAlignment::Left) {
                    QCOMPARE(actual.left(), table.left());
                } else if (control.alignment == platform::TextAlignment::Right) {
                    QCOMPARE(actual.right(), table.right());
                } else {
                    QVERIFY2(qAbs(actual.center().x() - table.center().x()) <= 1, qPrintable(name));
                }
                break;
            default:
                QCOMPARE(actual.left(), table.left());
                QVERIFY2(qAbs(actual.center().y() - table.center().y()) <= 1, qPrintable(name));
                break;
        }

        // The substitute face is asked for by name, not left to the system's aliases.
        QCOMPARE(widget->font().family(), ExpectedFamily(control.font.face));
        const QFontInfo font(widget->font());
        // Qt names a face installed from two foundries with its foundry: "P052 [urw]".
        QCOMPARE(font.family().section(QStringLiteral(" ["), 0, 0),
                 ExpectedFamily(control.font.face));
        QCOMPARE(widget->font().pointSizeF(), control.font.points);
        QCOMPARE(font.bold(), control.font.bold);
        QCOMPARE(font.italic(), control.font.italic);

        if (!control.caption.empty()) {
            QCOMPARE(widget->accessibleName(), QString::fromStdString(control.caption));
        }
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const Qt::Alignment horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
            switch (control.alignment) {
                case platform::TextAlignment::Left:
                    QCOMPARE(horizontal, Qt::AlignLeft);
                    break;
                case platform::TextAlignment::Right:
                    QCOMPARE(horizontal, Qt::AlignRight);
                    break;
                case platform::TextAlignment::Center:
                    QCOMPARE(horizontal, Qt::AlignHCenter);
                    break;
            }
        }
    }
}

inline void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace psion::testing
