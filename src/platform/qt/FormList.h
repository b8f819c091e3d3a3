#pragma once

#include <QComboBox>
#include <QString>
#include <string>

namespace psion::qt {

// A drop-down list of a form. Each entry keeps the exact bytes the logic gave
// it beside the text shown, so a path whose bytes are not valid in the
// locale's character set still names its folder. An entry too wide for the
// closed list is shown elided before its last folder, or else in the middle,
// keeping its end in sight.
class FormList : public QComboBox {
    Q_OBJECT

  public:
    explicit FormList(QWidget* parent = nullptr);

    void AddEntry(const std::string& bytes);
    // The chosen entry's bytes; empty while nothing is chosen.
    std::string ChosenEntry() const;

    // The chosen entry as the closed list shows it.
    QString ShownText() const;

    // The whole chosen entry also becomes the tooltip and accessible description.
    void SetTipShowsWholeEntry(bool shows);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString ElidedToFit(const QString& text) const;
    void UpdateTip();

    bool tipShowsWholeEntry_ = false;
};

}  // namespace psion::qt
