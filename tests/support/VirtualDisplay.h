#pragma once

#include <sys/types.h>

#include <string>

namespace psion::testing {

// A private Xvfb server on a free display, ended with the object.
class VirtualDisplay {
  public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":<number>", or empty when the server did not start.
    const std::string& Name() const { return name_; }

  private:
    pid_t server_ = -1;
    std::string name_;
};

}  // namespace psion::testing
