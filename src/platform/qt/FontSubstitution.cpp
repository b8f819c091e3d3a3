#include "platform/qt/FontSubstitution.h"

#include <QFontDatabase>

#include "platform/qt/TextCodec.h"

namespace psion::qt {

QStringList SubstituteFamilies(const QString& face) {
    // Metric-compatible or close sans and book faces from the Debian font packages.
    if (face.compare(QStringLiteral("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
        return {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                QStringLiteral("DejaVu Sans")};
    }
    if (face.compare(QStringLiteral("Palatino Linotype"), Qt::CaseInsensitive) == 0) {
        return {QStringLiteral("P052"), QStringLiteral("URW Palladio L"),
                QStringLiteral("TeX Gyre Pagella")};
    }
    return {};
}

QString ResolveFamily(const QString& face) {
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(face, Qt::CaseInsensitive)) return face;
    for (const QString& candidate : SubstituteFamilies(face)) {
        if (installed.contains(candidate, Qt::CaseInsensitive)) return candidate;
    }
    return face;
}

QFont FontFor(const platform::FontSpec& wanted) {
    QFont font(ResolveFamily(DecodeText(wanted.face)));
    font.setPointSizeF(wanted.points);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    return font;
}

}  // namespace psion::qt
