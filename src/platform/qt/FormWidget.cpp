#include "platform/qt/FormWidget.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <limits>

#include "platform/qt/Accessibility.h"
#include "platform/qt/CaptionFitting.h"
#include "platform/qt/FontSubstitution.h"
#include "platform/qt/FormList.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/Twips.h"

namespace psion::qt {

using platform::ControlDescription;
using platform::ControlKind;
using platform::ControlRef;
using platform::FormEvent;

namespace {

// The key under which a control keeps the caption the logic gave it, which a
// button shows wrapped over several lines.
constexpr char kCaptionProperty[] = "psionCaption";

Qt::Alignment AlignmentOf(platform::TextAlignment alignment) {
    switch (alignment) {
        case platform::TextAlignment::Right:
            return Qt::AlignRight | Qt::AlignTop;
        case platform::TextAlignment::Center:
            return Qt::AlignHCenter | Qt::AlignTop;
        case platform::TextAlignment::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

// Qt reads "&" in button and menu captions as an access key; the forms have none.
QString WithoutAccessKeys(QString caption) { return caption.replace(QLatin1Char('&'), "&&"); }

QRect PixelRect(const platform::TwipsRect& twips) {
    return QRect(TwipsToPixels(twips.left), TwipsToPixels(twips.top), TwipsToPixels(twips.width),
                 TwipsToPixels(twips.height));
}

// The size a button needs so that its wrapped caption shows in full: the
// table's size unless the caption needs more lines or a wider line.
QSize ButtonSizeForCaption(const QPushButton& button) {
    const QSize room = ButtonCaptionRoom(button);
    const QStringList lines = button.text().split(QLatin1Char('\n'));
    const QFontMetrics metrics(button.font());
    int widest = 0;
    for (const QString& line : lines) widest = qMax(widest, metrics.horizontalAdvance(line));
    const int tallest =
        metrics.height() + (static_cast<int>(lines.size()) - 1) * metrics.lineSpacing();
    return button.size() + QSize(qMax(0, widest - room.width()), qMax(0, tallest - room.height()));
}

}  // namespace

QString ControlObjectName(const ControlRef& control) {
    QString name = DecodeText(control.name);
    if (control.index >= 0) name += QLatin1Char('_') + QString::number(control.index);
    return name;
}

FormWidget::FormWidget(const platform::FormDescription& description,
                       std::vector<platform::EventRoute> routes, QWidget* parent)
    : QWidget(parent), routing_(description, std::move(routes)) {
    setObjectName(DecodeText(description.name));
    setFixedSize(TwipsToPixels(description.clientWidthTwips),
                 TwipsToPixels(description.clientHeightTwips));
    setFont(FontFor(platform::FontSpec{}));
    if (description.windowBackground) {
        // The system colour for window backgrounds is the one text fields use.
        QPalette colours = palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Base));
        setPalette(colours);
        setAutoFillBackground(true);
    }
    InstallFormAccessibility();
    entries_.reserve(description.controls.size());
    for (const ControlDescription& control : description.controls) BuildControl(control);
    for (const Entry& entry : entries_) LinkCaption(entry);

    QWidget* previous = nullptr;
    for (const Entry& entry : entries_) {
        if (entry.widget->focusPolicy() == Qt::NoFocus) continue;
        if (previous != nullptr) QWidget::setTabOrder(previous, entry.widget);
        previous = entry.widget;
    }
}

void FormWidget::BuildControl(const ControlDescription& control) {
    const QString caption = DecodeText(control.caption);
    const ControlRef id = control.id;
    QWidget* widget = nullptr;
    switch (control.kind) {
        case ControlKind::Label: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(AlignmentOf(control.alignment));
            widget = label;
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(this);
            // Enter and Escape press no button of these forms.
            button->setAutoDefault(false);
            button->setDefault(false);
            button->setFocusPolicy(Qt::StrongFocus);
            connect(button, &QPushButton::clicked, this,
                    [this, id] { routing_.Raise(id.name, FormEvent::Click, id.index); });
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* checkBox = new QCheckBox(this);
            checkBox->setFocusPolicy(Qt::StrongFocus);
            connect(checkBox, &QCheckBox::clicked, this,
                    [this, id] { routing_.Raise(id.name, FormEvent::Click, id.index); });
            widget = checkBox;
            break;
        }
        case ControlKind::DropDownList: {
            auto* list = new FormList(this);
            list->setEditable(false);
            list->setFocusPolicy(Qt::StrongFocus);
            list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            for (const std::string& item : control.entries) list->AddEntry(item);
            list->setCurrentIndex(-1);
            list->SetTipShowsWholeEntry(control.tipShowsWholeEntry);
            connect(list, &QComboBox::activated, this,
                    [this, id] { routing_.Raise(id.name, FormEvent::Choose, id.index); });
            widget = list;
            break;
        }
        case ControlKind::TextBox: {
            auto* box = new QLineEdit(this);
            box->setFocusPolicy(Qt::StrongFocus);
            // The boxes take text of any length.
            box->setMaxLength(std::numeric_limits<int>::max());
            widget = box;
            break;
        }
    }
    widget->setObjectName(ControlObjectName(id));
    widget->setFont(FontFor(control.font));
    widget->setGeometry(PixelRect(control.position));
    entries_.push_back(Entry{control, widget});
    if (control.kind == ControlKind::DropDownList || control.kind == ControlKind::TextBox) {
        // The style's frame needs this height to show a line of text; the
        // field grows around its middle so it stays level with its caption.
        widget->setGeometry(GrowAround(widget->geometry(),
                                       QSize(0, widget->minimumSizeHint().height()),
                                       Qt::AlignLeft | Qt::AlignVCenter));
        // Named once, from the table: what the field holds is its value, never its name.
        widget->setAccessibleName(DecodeText(control.accessibleName));
    } else {
        ShowCaption(entries_.back(), caption);
    }
}

void FormWidget::LinkCaption(const Entry& field) {
    const ControlDescription* caption = platform::CaptionOf(Description(), field.description);
    if (caption == nullptr) return;
    auto* label = static_cast<QLabel*>(Control(caption->id));
    // A label's buddy is announced as labelled by it. The captions hold no
    // "&", so the buddy gives no access key.
    label->setBuddy(field.widget);
    // A value label reads its text as its name; its caption comes as its description.
    if (field.description.kind == ControlKind::Label) {
        field.widget->setAccessibleDescription(label->text());
    }
}

void FormWidget::ShowCaption(const Entry& entry, const QString& caption) {
    QWidget* widget = entry.widget;
    widget->setProperty(kCaptionProperty, caption);
    widget->setAccessibleName(caption);
    // Sizes stay those of the table; a caption that the substitute face sets
    // wider or taller than the original face grows its control just enough to
    // show in full, because no caption may be cut off. The control keeps the
    // edge or centre its text is aligned to (see GrowAround).
    const QRect table = PixelRect(entry.description.position);
    switch (entry.description.kind) {
        case ControlKind::Label: {
            auto* label = static_cast<QLabel*>(widget);
            label->setText(caption);
            label->setGeometry(
                GrowAround(table, label->sizeHint(),
                           (label->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop));
            break;
        }
        case ControlKind::CheckBox: {
            auto* checkBox = static_cast<QCheckBox*>(widget);
            checkBox->setText(WithoutAccessKeys(caption));
            checkBox->setGeometry(
                GrowAround(table, checkBox->sizeHint(), Qt::AlignLeft | Qt::AlignVCenter));
            break;
        }
        case ControlKind::Button: {
            auto* button = static_cast<QPushButton*>(widget);
            button->setGeometry(table);
            button->setText(WithoutAccessKeys(WrapButtonCaption(*button, caption)));
            button->setGeometry(
                GrowAround(table, ButtonSizeForCaption(*button), Qt::AlignLeft | Qt::AlignTop));
            break;
        }
        case ControlKind::DropDownList:
        case ControlKind::TextBox:
            break;
    }
}

QMenuBar* FormWidget::BuildMenuBar(QWidget* menuParent) {
    if (Description().menu.empty()) return nullptr;
    auto* bar = new QMenuBar(menuParent);
    bar->setObjectName(QStringLiteral("menuBar"));
    const auto addCommand = [this](QAction* action, const platform::MenuItemDescription& item) {
        action->setObjectName(DecodeText(item.name));
        // No menu item has a shortcut key.
        action->setShortcut(QKeySequence());
        const std::string name = item.name;
        connect(action, &QAction::triggered, this,
                [this, name] { routing_.Raise(name, FormEvent::Click, -1); });
        menuActions_.emplace_back(item.name, action);
    };
    for (const platform::MenuItemDescription& entry : Description().menu) {
        const QString caption = WithoutAccessKeys(DecodeText(entry.caption));
        if (entry.items.empty()) {
            addCommand(bar->addAction(caption), entry);
            continue;
        }
        QMenu* menu = bar->addMenu(caption);
        menu->setObjectName(DecodeText(entry.name));
        menuActions_.emplace_back(entry.name, menu->menuAction());
        for (const platform::MenuItemDescription& item : entry.items) {
            addCommand(menu->addAction(WithoutAccessKeys(DecodeText(item.caption))), item);
        }
    }
    return bar;
}

void FormWidget::ApplyInitialFocus() {
    const auto first = routing_.InitialFocus(focusFromLoading_, [this](std::size_t at) {
        return entries_[at].widget->isEnabledTo(this);
    });
    if (first) entries_[*first].widget->setFocus(Qt::OtherFocusReason);
}

const FormWidget::Entry& FormWidget::EntryFor(const ControlRef& control) const {
    return entries_[routing_.PositionOf(control)];
}

QWidget* FormWidget::Control(const ControlRef& control) const { return EntryFor(control).widget; }

void FormWidget::SetText(const ControlRef& control, const std::string& text) {
    routing_.CheckTextCanBeSet(control);
    const Entry& entry = EntryFor(control);
    if (auto* box = qobject_cast<QLineEdit*>(entry.widget)) {
        box->setText(DecodeText(text));
        return;
    }
    ShowCaption(entry, DecodeText(text));
}

std::string FormWidget::Text(const ControlRef& control) const {
    QWidget* widget = Control(control);
    if (auto* box = qobject_cast<QLineEdit*>(widget)) return EncodeText(box->text());
    if (auto* list = qobject_cast<FormList*>(widget)) return list->ChosenEntry();
    return EncodeText(widget->property(kCaptionProperty).toString());
}

void FormWidget::SetEnabled(const ControlRef& control, bool enabled) {
    if (!routing_.IsMenuItem(control)) {
        Control(control)->setEnabled(enabled);
        return;
    }
    for (const auto& [name, action] : menuActions_) {
        if (name == control.name) action->setEnabled(enabled);
    }
}

void FormWidget::SetFocus(const ControlRef& control) {
    QWidget* widget = Control(control);
    routing_.CheckFocusable(control, widget->isEnabledTo(this));
    if (!isVisible()) focusFromLoading_ = control;
    widget->setFocus(Qt::OtherFocusReason);
}

FormList& FormWidget::ListOf(const ControlRef& list) const {
    routing_.CheckKind(list, ControlKind::DropDownList);
    return *static_cast<FormList*>(Control(list));
}

void FormWidget::ClearList(const ControlRef& list) { ListOf(list).clear(); }

void FormWidget::AddListEntry(const ControlRef& list, const std::string& entry) {
    FormList& box = ListOf(list);
    const int selected = box.currentIndex();
    box.AddEntry(entry);
    // A combo box selects the first entry added to it; these lists keep their selection.
    box.setCurrentIndex(selected);
}

void FormWidget::SelectListEntry(const ControlRef& list, int index) {
    FormList& box = ListOf(list);
    routing_.CheckEntry(list, index, box.count());
    box.setCurrentIndex(index);
    // Clearing the selection is no choice of an entry.
    if (index >= 0) routing_.Raise(list.name, FormEvent::Choose, list.index);
}

int FormWidget::SelectedIndex(const ControlRef& list) const { return ListOf(list).currentIndex(); }

bool FormWidget::IsChecked(const ControlRef& checkBox) const {
    routing_.CheckKind(checkBox, ControlKind::CheckBox);
    return static_cast<QCheckBox*>(Control(checkBox))->isChecked();
}

void FormWidget::BringToFront() {
    window()->raise();
    window()->activateWindow();
}

void FormWidget::Close() { window()->close(); }

}  // namespace psion::qt
