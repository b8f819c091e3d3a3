#pragma once

#include <QString>
#include <string>

namespace psion::qt {

// The logic's texts are 8-bit text in the system code page; on screen they are
// Unicode. The locale's character set is this platform's code page.
inline QString DecodeText(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string EncodeText(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace psion::qt
