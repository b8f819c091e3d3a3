// psion-bench-unitfiles: one unit-file operation per process, for
// scripts/bench.sh to time and to measure the peak memory of.
//
//   generate KIND SIZE FILE   write a file (KIND: batch, serial, one-line,
//                             line-feeds; SIZE in bytes, or with K, M or G)
//   status HOME               read the unit status of that home drive
//   port HOME                 read the comm port
//   patch HOME PORT           patch the port into the send configuration file
//   save HOME PORT            the whole Save: the unit batch file and both
//                             serial files prepared, then put in place
//
// HOME is an absolute folder used as the home drive: its data folder is
// HOME/program files (x86)/kelvo/psion. Results are printed as key=value lines;
// psion-bench-measure gives the process's time and peak memory.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "UnitFileContent.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/OneFileSet.h"
#include "unitfiles/DataFolder.h"
#include "unitfiles/SerialConfigFile.h"
#include "unitfiles/UnitBatchFile.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kUsage = 2;

std::optional<std::uint64_t> ParseSize(const std::string& text) {
    std::size_t used = 0;
    std::uint64_t value = 0;
    try {
        value = std::stoull(text, &used);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    const std::string unit = text.substr(used);
    if (unit.empty()) return value;
    if (unit == "K") return value << 10;
    if (unit == "M") return value << 20;
    if (unit == "G") return value << 30;
    return std::nullopt;
}

// Calls the operation until a fifth of a second has passed (at least once,
// at most 10,000 times) and prints the median time of one call.
void TimeRepeatedly(const std::function<void()>& operation) {
    std::vector<std::int64_t> times;
    const auto start = Clock::now();
    do {
        const auto before = Clock::now();
        operation();
        times.push_back(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before).count());
    } while (Clock::now() - start < std::chrono::milliseconds(200) && times.size() < 10000);
    std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                     times.end());
    std::printf("calls=%zu\ncall_ns=%lld\n", times.size(),
                static_cast<long long>(times[times.size() / 2]));
}

int Generate(const std::vector<std::string>& args) {
    const auto kind = psion::bench::ContentKindNamed(args[0]);
    const auto bytes = ParseSize(args[1]);
    if (!kind || !bytes) return kUsage;
    if (!psion::bench::WriteContent(*kind, *bytes, args[2])) {
        std::fprintf(stderr, "psion-bench-unitfiles: cannot write %s\n", args[2].c_str());
        return 1;
    }
    return 0;
}

// The Save of the setup dialog, "256k Version" and destination "B", without the dialog.
int Save(psion::platform::FileSystem& files, const psion::unitfiles::DataFolder& folder,
         const std::string& port) {
    std::string path = folder.DataFilePath("");
    path.pop_back();
    const auto before = Clock::now();
    auto begun = files.BeginChanges(path);
    std::optional<psion::platform::FileError> error = begun.error;
    if (!error) error = psion::unitfiles::WriteUnitBatchFile(*begun.changes, 2, 1);
    for (const auto name :
         {psion::unitfiles::kSendConfigFile, psion::unitfiles::kReceiveConfigFile}) {
        if (!error) error = psion::unitfiles::PatchSerialPort(*begun.changes, name, port);
    }
    if (!error) error = begun.changes->PutInPlace().error;
    std::printf(
        "call_ns=%lld\n",
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before).count()));
    if (error) {
        std::printf("error=%s\n", error->Describe().c_str());
        return 1;
    }
    return 0;
}

int Run(const std::string& command, const std::vector<std::string>& args) {
    const psion::bench::BenchHome home(args[0]);
    psion::posix::PosixFileSystem files;
    const std::string systemPath = home.SystemPath();
    const psion::unitfiles::DataFolder folder(files, systemPath);

    if (command == "status" && args.size() == 1) {
        psion::unitfiles::UnitStatus status;
        TimeRepeatedly([&] { status = psion::unitfiles::ReadUnitStatus(folder); });
        std::printf("found=%d\nreader_type_bytes=%zu\ndestination_bytes=%zu\n", status.found,
                    status.readerType.size(), status.destination.size());
    } else if (command == "port" && args.size() == 1) {
        std::string port;
        TimeRepeatedly([&] { port = psion::unitfiles::ReadCommPort(folder); });
        std::printf("port_bytes=%zu\n", port.size());
    } else if (command == "patch" && args.size() == 2) {
        const std::string path = folder.DataFilePath(psion::unitfiles::kSendConfigFile);
        const auto before = Clock::now();
        const auto error = psion::testing::SavePatchedPort(folder, path, args[1]);
        std::printf("call_ns=%lld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - before)
                            .count()));
        if (error) {
            std::printf("error=%s\n", error->Describe().c_str());
            return 1;
        }
    } else if (command == "save" && args.size() == 2) {
        return Save(files, folder, args[1]);
    } else {
        return kUsage;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
    const std::string command = argc > 1 ? argv[1] : "";
    int result = kUsage;
    try {
        if (command == "generate" && args.size() == 3) {
            result = Generate(args);
        } else if (!args.empty()) {
            result = Run(command, args);
        }
    } catch (const std::exception& failure) {
        // Reported as the operation's result, so the script can show it.
        std::printf("failed=%s\n", failure.what());
        std::fflush(stdout);
        return 1;
    }
    if (result == kUsage) {
        std::fputs(
            "usage: psion-bench-unitfiles generate KIND SIZE FILE | status HOME | port HOME | "
            "patch HOME PORT | save HOME PORT\n",
            stderr);
    }
    return result;
}
