// psion-bench-bare-window: the main window's controls built directly with Qt
// (same widget kinds, positions, fonts, menu bar and caption, faces named
// outright), the reference that the program's start-up is compared with.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace {

int Px(int twips) { return (twips + 7) / 15; }

QRect At(int left, int top, int width, int height) {
    return QRect(Px(left), Px(top), Px(width), Px(height));
}

QFont Sans(double points, bool bold = false) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename Widget>
Widget* Place(Widget* widget, const QRect& where, const QFont& font) {
    widget->setGeometry(where);
    widget->setFont(font);
    return widget;
}

QLabel* AddLabel(QWidget* form, const QString& text, const QRect& where, Qt::Alignment alignment,
                 const QFont& font) {
    auto* label = Place(new QLabel(text, form), where, font);
    label->setAlignment(alignment | Qt::AlignTop);
    return label;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QFont normal = Sans(8.25);
    const QFont status = Sans(7.8, true);
    QFont title(QStringLiteral("P052"));
    title.setPointSizeF(12);
    title.setBold(true);
    title.setItalic(true);
    QApplication::setFont(normal);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Vided Ivivovizede"));
    auto* form = new QWidget(&window);
    form->setFixedSize(Px(5148), Px(5064));
    form->setFont(normal);

    AddLabel(form, QStringLiteral("(c) Kelvo Data Systems"), At(1200, 4464, 2760, 240),
             Qt::AlignLeft, Sans(9.6));
    AddLabel(form, QStringLiteral("Reader Type:"), At(708, 660, 1008, 192), Qt::AlignRight, normal);
    AddLabel(form, QStringLiteral("Destination:"), At(876, 1164, 840, 192), Qt::AlignRight, normal);
    AddLabel(form, QStringLiteral("MX Version"), At(1836, 660, 1884, 192), Qt::AlignLeft, status);
    AddLabel(form, QStringLiteral("A"), At(1836, 1164, 1956, 192), Qt::AlignLeft, status);
    AddLabel(form, QStringLiteral("PSION READER INTERFACE"), At(84, 120, 5148, 264),
             Qt::AlignHCenter, title);
    AddLabel(form, QStringLiteral("COM1"), At(1836, 900, 1956, 192), Qt::AlignLeft, status);
    AddLabel(form, QStringLiteral("Comm Port:"), At(888, 900, 828, 192), Qt::AlignRight, normal);
    AddLabel(form, QStringLiteral("1.16"), At(4308, 4500, 444, 204), Qt::AlignLeft, normal);
    AddLabel(form, QStringLiteral("System Path:"), At(780, 1476, 936, 240), Qt::AlignRight, normal);
    auto* send = Place(new QPushButton(QStringLiteral("Send Data to\nPsion"), form),
                       At(744, 2400, 1668, 840), normal);
    Place(new QPushButton(QStringLiteral("Receive Readings\nfrom Psion"), form),
          At(2772, 2436, 1668, 840), normal);
    Place(new QPushButton(QStringLiteral("Exit"), form), At(2172, 3756, 804, 408), normal);
    Place(new QCheckBox(QStringLiteral("Show command window"), form), At(1836, 1872, 2424, 192),
          normal);
    auto* paths = Place(new QComboBox(form), At(1800, 1428, 2160, 288), normal);
    paths->addItem(QStringLiteral("C:\\program files"));
    paths->addItem(QStringLiteral("C:\\program files (x86)"));
    paths->setCurrentIndex(1);

    auto* bar = new QMenuBar(&window);
    bar->addMenu(QStringLiteral("File"))->addAction(QStringLiteral("Exit"));
    bar->addAction(QStringLiteral("Setup"));
    bar->addAction(QStringLiteral("Contact Us"));

    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setMenuBar(bar);
    layout->addWidget(form);
    window.setFont(normal);

    window.show();
    send->setFocus();
    window.raise();
    window.activateWindow();
    return QApplication::exec();
}
