#include "platform/qt/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QWidget>

#include "platform/qt/FormList.h"
#include "platform/qt/FormWindow.h"

namespace psion::qt {

namespace {

// A form's list: named by its accessible name, holding the chosen entry as its
// value and as read-only text; its one child is the list that drops down.
class AccessibleFormList : public QAccessibleWidget, public QAccessibleTextInterface {
  public:
    explicit AccessibleFormList(FormList* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value) return Entry();
        return QAccessibleWidget::text(kind);
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == List()->view() ? 0 : -1;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) {
            QAccessibleWidget::doAction(action);
        } else if (List()->view()->isVisible()) {
            List()->hidePopup();
        } else {
            List()->showPopup();
        }
    }

    // QAccessibleTextInterface: the chosen entry, which the user cannot edit.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return Entry().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Entry().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = *end = offset;
        return {};
    }

  private:
    FormList* List() const { return static_cast<FormList*>(widget()); }
    QString Entry() const { return List()->currentIndex() < 0 ? QString() : List()->currentText(); }
};

QAccessibleInterface* FormAccessibility(const QString& className, QObject* object) {
    if (className == QLatin1String(FormList::staticMetaObject.className())) {
        return new AccessibleFormList(static_cast<FormList*>(object));
    }
    // A plain top-level widget hosting a form is the program's main window;
    // Qt would announce it as a mere client area. Dialogs are QDialogs.
    if (className == QLatin1String("QWidget")) {
        auto* widget = static_cast<QWidget*>(object);
        if (widget->isWindow() && IsFormWindow(*widget)) {
            return new QAccessibleWidget(widget, QAccessible::Window);
        }
    }
    return nullptr;
}

}  // namespace

void InstallFormAccessibility() { QAccessible::installFactory(&FormAccessibility); }

}  // namespace psion::qt
