#pragma once

// Measures each caption as its control draws it: the text's extent in the
// control's font, on the control's own screen, against the rectangle the
// style draws that text into.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <vector>

namespace psion::testing {

// One caption against the room its control gives it, in pixels.
struct CaptionFit {
    QString control;
    int needed = 0;
    int room = 0;
    int neededHeight = 0;
    int roomHeight = 0;

    bool Fits() const { return needed <= room && neededHeight <= roomHeight; }
    // How much of its room the caption takes, in the tighter direction.
    double Share() const {
        const double across = room > 0 ? double(needed) / room : 1e9;
        const double down = roomHeight > 0 ? double(neededHeight) / roomHeight : 1e9;
        return std::max(across, down);
    }
    QString Describe() const {
        return QStringLiteral("%1 needs %2x%3 in %4x%5")
            .arg(control)
            .arg(needed)
            .arg(neededHeight)
            .arg(room)
            .arg(roomHeight);
    }
};

// Whole pixels that hold the text: a fraction of a pixel more is cut off.
inline int Ceil(qreal pixels) { return int(std::ceil(pixels - 1e-6)); }

// The control's font as it is laid out on the control's screen.
inline QFontMetricsF MetricsOf(const QWidget& widget) {
    return QFontMetricsF(widget.font(), const_cast<QWidget*>(&widget));
}

inline void MeasureLabel(const QLabel& label, std::vector<CaptionFit>& fits) {
    const QRect room = label.contentsRect();
    int flags = int(label.alignment());
    // A label that breaks its text at blanks, as a message box's does, fits
    // when every line of it fits its height.
    if (label.wordWrap()) flags |= Qt::TextWordWrap;
    const QRectF needed = MetricsOf(label).boundingRect(
        QRectF(0, 0, label.wordWrap() ? room.width() : 1e5, 1e5), flags, label.text());
    const QString shown = QString(label.text()).replace(QLatin1Char('\n'), QStringLiteral(" / "));
    fits.push_back({QStringLiteral("label %1 \"%2\"").arg(label.objectName(), shown),
                    Ceil(needed.width()), room.width(), Ceil(needed.height()), room.height()});
}

// A push button shows its caption over as many lines as it has, inside the
// room its style leaves within the frame.
inline void MeasureButton(const QPushButton& button, std::vector<CaptionFit>& fits) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.rect = button.rect();
    const QRect room =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    const QFontMetricsF metrics = MetricsOf(button);
    const QStringList lines = button.text().remove(QLatin1Char('&')).split(QLatin1Char('\n'));
    qreal widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const qreal height = metrics.height() + qreal(lines.size() - 1) * metrics.lineSpacing();
    fits.push_back({QStringLiteral("button %1 \"%2\"")
                        .arg(button.objectName(), QString(button.text()).replace('\n', ' ')),
                    Ceil(widest), room.width(), Ceil(height), room.height()});
}

// A check box draws its caption beside the box, in the rest of its width.
inline void MeasureCheckBox(const QCheckBox& checkBox, std::vector<CaptionFit>& fits) {
    QStyleOptionButton option;
    option.initFrom(&checkBox);
    option.rect = checkBox.rect();
    option.text = checkBox.text();
    const QRect room =
        checkBox.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &checkBox);
    const QFontMetricsF metrics = MetricsOf(checkBox);
    fits.push_back(
        {QStringLiteral("check box %1 \"%2\"").arg(checkBox.objectName(), checkBox.text()),
         Ceil(metrics.horizontalAdvance(checkBox.text().remove(QLatin1Char('&')))), room.width(),
         Ceil(metrics.height()), room.height()});
}

// Each entry of a closed list as its field would show it once chosen. The
// style draws the text one pixel inside the field on either side.
inline void MeasureListEntries(const QComboBox& list, std::vector<CaptionFit>& fits) {
    QStyleOptionComboBox option;
    option.initFrom(&list);
    option.editable = list.isEditable();
    const QRect field = list.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                     QStyle::SC_ComboBoxEditField, &list);
    const QFontMetricsF metrics = MetricsOf(list);
    for (int entry = 0; entry < list.count(); ++entry) {
        const QString text = list.itemText(entry);
        fits.push_back(
            {QStringLiteral("entry \"%1\" of %2 in its field").arg(text, list.objectName()),
             Ceil(metrics.horizontalAdvance(text)), field.width() - 2, Ceil(metrics.height()),
             field.height()});
    }
}

// The caption of a label, button or check box; false for other controls.
inline bool MeasureCaption(const QWidget& widget, std::vector<CaptionFit>& fits) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        if (!label->text().isEmpty()) MeasureLabel(*label, fits);
    } else if (const auto* checkBox = qobject_cast<const QCheckBox*>(&widget)) {
        MeasureCheckBox(*checkBox, fits);
    } else if (const auto* button = qobject_cast<const QPushButton*>(&widget)) {
        MeasureButton(*button, fits);
    } else {
        return false;
    }
    return true;
}

// A list whose entries are longer than its field shows them elided, whole in
// its tip; such entries are left out of the measure.
enum class ListEntries { InTheirField, LeftOut };

// Every caption of a window: its labels, buttons and check boxes, and the
// entries of its lists. Text boxes hold what the user types, no caption.
inline std::vector<CaptionFit> MeasureCaptions(const QWidget& window, ListEntries entries) {
    std::vector<CaptionFit> fits;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || MeasureCaption(*widget, fits)) continue;
        auto* list = qobject_cast<QComboBox*>(widget);
        if (list != nullptr && entries == ListEntries::InTheirField)
            MeasureListEntries(*list, fits);
    }
    return fits;
}

// The captions that do not fit, each with its measure; empty when all fit.
inline QStringList CutOff(const std::vector<CaptionFit>& fits) {
    QStringList cut;
    for (const CaptionFit& fit : fits) {
        if (!fit.Fits()) cut.append(fit.Describe());
    }
    return cut;
}

// The caption that takes most of its room.
inline CaptionFit Tightest(const std::vector<CaptionFit>& fits) {
    return *std::max_element(fits.begin(), fits.end(),
                             [](const auto& a, const auto& b) { return a.Share() < b.Share(); });
}

}  // namespace psion::testing
