#include "platform/qt/FontSubstitution.h"

#include <QFontDatabase>
#include <QSet>

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

namespace {

// The installed faces, compared without regard to letter case. Qt names a face
// installed from several foundries with its foundry ("P052 [urw]"), which is
// left off. Listing them is costly and every control asks for its font, while
// the faces do not change during a run: they are listed once.
const QSet<QString>& InstalledFamilies() {
    static const QSet<QString> installed = [] {
        QSet<QString> names;
        for (const QString& family : QFontDatabase::families()) {
            names.insert(family.section(QStringLiteral(" ["), 0, 0).toCaseFolded());
        }
        return names;
    }();
    return installed;
}

bool IsInstalled(const QString& face) { return InstalledFamilies().contains(face.toCaseFolded()); }

}  // namespace

QString ResolveFamily(const QString& face) {
    if (IsInstalled(face)) return face;
    for (const QString& candidate : SubstituteFamilies(face)) {
        if (IsInstalled(candidate)) return candidate;
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
