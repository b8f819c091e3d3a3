#pragma once

#include <string>
#include <string_view>

namespace psion::bench {

// A home drive for the benchmarks: an absolute folder whose
// "program files (x86)/kelvo/psion" is the data folder. The program's file
// layer uses a home drive that is an absolute folder as it is.
class BenchHome {
  public:
    explicit BenchHome(std::string root) : root_(std::move(root)) {}

    const std::string& Root() const { return root_; }

    // The system path the main window would choose: the second candidate.
    std::string SystemPath() const { return root_ + "\\program files (x86)"; }

    // The data folder and one of its files, as native paths.
    std::string NativeDataFolder() const { return root_ + "/program files (x86)/kelvo/psion"; }
    std::string NativeFile(std::string_view name) const {
        return NativeDataFolder() + "/" + std::string(name);
    }

    // Creates the data folder; false when it cannot be created.
    bool CreateDataFolder() const;

  private:
    std::string root_;
};

}  // namespace psion::bench
