#include "UnitFileContent.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace psion::bench {

namespace {

constexpr std::string_view kBatchHeader =
    "setdef am5\r\nsetdef ab2\r\nrem MX Version\r\nlink -sTTY:A\r\npdc\r\n";

// Writes through a large buffer, counting what is still to come.
class BoundedWriter {
  public:
    BoundedWriter(std::FILE* file, std::uint64_t bytes) : file_(file), remaining_(bytes) {
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    }

    std::uint64_t Remaining() const { return remaining_; }
    bool Ok() const { return ok_; }

    // Writes as much of the text as still fits.
    void Put(std::string_view text) {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(text.size(), remaining_));
        if (count > 0 && std::fwrite(text.data(), 1, count, file_) != count) ok_ = false;
        remaining_ -= count;
    }

    void Repeat(char byte, std::uint64_t count) {
        const std::string block(1 << 16, byte);
        while (count > 0 && remaining_ > 0) {
            const auto piece = std::min<std::uint64_t>(count, block.size());
            Put(std::string_view(block).substr(0, static_cast<std::size_t>(piece)));
            count -= piece;
        }
    }

    // Ends the file with one comment line of exactly the remaining size, so it
    // ends with a full line (when at least three bytes are left).
    void FillWithComment(char mark) {
        if (remaining_ >= 3) {
            Put(std::string_view(&mark, 1));
            Repeat('-', remaining_ - 2);
        }
        Put("\r\n");
    }

  private:
    std::FILE* file_;
    std::uint64_t remaining_;
    bool ok_ = true;
};

std::string Numbered(const char* format, unsigned long number) {
    char line[128];
    const int length = std::snprintf(line, sizeof line, format, number);
    return std::string(line, static_cast<std::size_t>(std::max(0, length)));
}

void WriteUnitBatch(BoundedWriter& out) {
    out.Put(kBatchHeader);
    for (unsigned long number = 1;; ++number) {
        const std::string line =
            Numbered("rem field note %08lu: readings kept on the unit until sent\r\n", number);
        if (out.Remaining() < line.size() + 3) break;
        out.Put(line);
    }
    out.FillWithComment('r');
}

void WriteSerialConfig(BoundedWriter& out) {
    for (unsigned long number = 1;; ++number) {
        const std::string section =
            Numbered("# Link settings for the Psion unit, section %08lu\r\n", number) +
            "[serial]\r\nserial1=directserial port:" + std::string(kGeneratedPort) +
            "\r\nserial2=disabled\r\n[link]\r\nbaud=9600\r\nretries=3\r\n";
        if (number > 1 && out.Remaining() < section.size() + 3) break;
        out.Put(section);
    }
    out.FillWithComment('#');
}

void WriteOneLine(BoundedWriter& out) {
    out.Put("serial1=directserial port:");
    out.Put(kGeneratedPort);
    out.Put(" ");
    out.Repeat('x', out.Remaining());
}

}  // namespace

std::optional<ContentKind> ContentKindNamed(std::string_view name) {
    for (ContentKind kind : {ContentKind::UnitBatch, ContentKind::SerialConfig,
                             ContentKind::OneLine, ContentKind::LineFeeds}) {
        if (NameOf(kind) == name) return kind;
    }
    return std::nullopt;
}

std::string_view NameOf(ContentKind kind) {
    switch (kind) {
        case ContentKind::UnitBatch:
            return "batch";
        case ContentKind::SerialConfig:
            return "serial";
        case ContentKind::OneLine:
            return "one-line";
        case ContentKind::LineFeeds:
            return "line-feeds";
    }
    return "";
}

bool WriteContent(ContentKind kind, std::uint64_t bytes, const std::string& nativePath) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(nativePath.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) return false;
    BoundedWriter out(file.get(), bytes);
    switch (kind) {
        case ContentKind::UnitBatch:
            WriteUnitBatch(out);
            break;
        case ContentKind::SerialConfig:
            WriteSerialConfig(out);
            break;
        case ContentKind::OneLine:
            WriteOneLine(out);
            break;
        case ContentKind::LineFeeds:
            out.Repeat('\n', out.Remaining());
            break;
    }
    const bool written = out.Ok() && std::fflush(file.get()) == 0;
    return std::fclose(file.release()) == 0 && written;
}

}  // namespace psion::bench
