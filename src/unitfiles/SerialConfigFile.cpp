#include "unitfiles/SerialConfigFile.h"

#include <algorithm>

#include "unitfiles/TextLines.h"

namespace psion::unitfiles {

namespace {

constexpr std::string_view kPortLineStart = "SERIAL1";                // compared upper-cased
constexpr std::string_view kSerialLineMark = "serial1=directserial";  // compared exactly
constexpr std::size_t kPortLength = 4;

bool IsPortLine(const std::string& line) {
    return line.size() >= kPortLineStart.size() &&
           ToUpperAscii(std::string_view(line).substr(0, kPortLineStart.size())) == kPortLineStart;
}

// Overwrites the characters after the first colon, one for one, without
// changing the line's length. A line with no port field stays as it is.
void PatchLine(std::string& line, const std::string& upperPort) {
    if (line.find(kSerialLineMark) == std::string::npos) return;
    const auto colon = line.find(':');
    if (colon == std::string::npos) return;
    const std::size_t fieldStart = colon + 1;
    const std::size_t count = std::min(upperPort.size(), line.size() - fieldStart);
    line.replace(fieldStart, count, upperPort, 0, count);
}

}  // namespace

std::string ReadCommPort(const DataFolder& folder) {
    const std::string path = folder.DataFilePath(kSendConfigFile);
    if (!folder.FileExists(path)) return {};
    const auto read = folder.Files().ReadAll(path);
    if (read.error) return {};

    std::string port;
    for (const auto& line : SplitLines(read.bytes)) {
        // The last port line of the file wins; its letter case is kept.
        if (IsPortLine(line)) port = line.substr(line.size() - kPortLength);
    }
    return port;
}

std::optional<platform::FileError> PatchSerialPort(const DataFolder& folder,
                                                   const std::string& filePath,
                                                   std::string_view portName) {
    if (!folder.FileExists(filePath)) return std::nullopt;
    const auto read = folder.Files().ReadAll(filePath);
    if (read.error) return read.error;

    const std::string upperPort = ToUpperAscii(portName);
    auto lines = SplitLines(read.bytes);
    for (auto& line : lines) PatchLine(line, upperPort);
    return folder.Files().ReplaceAll(filePath, JoinLines(lines));
}

}  // namespace psion::unitfiles
