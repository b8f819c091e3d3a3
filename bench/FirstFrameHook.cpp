// Linked into the start-up benchmarks, never into the program. When a window
// has been painted for the first time, prints the monotonic clock and the
// process's CPU time and ends the process at once, so that a start-up is
// measured the same way for the program and for the bare window.
#include <sys/resource.h>
#include <time.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::int64_t Ns(const timeval& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_usec * 1000;
}

[[noreturn]] void ReportFirstFrame() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "first_frame_ns=%lld\nfirst_frame_cpu_ns=%lld\n",
        static_cast<long long>(static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec),
        static_cast<long long>(Ns(usage.ru_utime) + Ns(usage.ru_stime)));
    std::fflush(stdout);
    std::_Exit(EXIT_SUCCESS);
}

class FirstFrameWatch : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType()) {
            painted_ = true;
            // A window's widgets are all painted in one pass and then put on
            // the screen; a queued call runs once that frame is out.
            QTimer::singleShot(0, this, [] { ReportFirstFrame(); });
        }
        return false;
    }

  private:
    bool painted_ = false;
};

void WatchForFirstFrame() {
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new FirstFrameWatch(application));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchForFirstFrame)
