#include "platform/WorkAside.h"

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "common/WorkProgress.h"
#include "platform/Busy.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// How long the user-interface thread waits for the work before it looks up: the clock's second
// and the window system's messages are never later than this.
constexpr auto kLookUp = std::chrono::milliseconds(50);

bool g_aside = false;

// From the worker to the user-interface thread: one request at a time, which the worker waits
// for, and the end of the work.
class Channel {
 public:
  // Worker: has `request` run on the user-interface thread; returns once it has run.
  void Call(std::function<void()> request) {
    std::unique_lock lock(mutex_);
    request_ = std::move(request);
    changed_.notify_all();
    changed_.wait(lock, [this] { return !request_; });
  }
  // Worker: the work has ended.
  void Finish() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }
  // User-interface thread: waits a little for a request or the end, and runs the request that
  // came, after `first`; false once the work has ended. What a request throws is kept.
  bool Serve(const std::function<void()>& first) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kLookUp, [this] { return request_ || finished_; });
    if (!request_) return !finished_;
    const std::function<void()> request = request_;
    lock.unlock();
    try {
      first();
      request();
    } catch (...) {
      if (!thrown) thrown = std::current_exception();
    }
    lock.lock();
    request_ = nullptr;
    changed_.notify_all();
    return true;
  }
  std::exception_ptr thrown;  // by a request, on the user-interface thread

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> request_;
  bool finished_ = false;
};

// The work's progress: a pass's beginning and end are shown as they come; of its steps, the last
// one reported is shown each time the user-interface thread looks up.
class ForwardedProgress : public WorkProgress {
 public:
  ForwardedProgress(WorkProgress* shown, Channel& channel) : shown_(shown), channel_(channel) {}
  void Begin(const std::string& caption) override {
    channel_.Call([&] { shown_->Begin(caption); });
  }
  void Step(long done, long total) override {
    total_.store(total, std::memory_order_relaxed);
    done_.store(done, std::memory_order_relaxed);
    steps_.fetch_add(1, std::memory_order_release);
  }
  void End() override {
    channel_.Call([&] { shown_->End(); });
  }
  // User-interface thread.
  void ShowLastStep() {
    const unsigned steps = steps_.load(std::memory_order_acquire);
    if (steps == shownSteps_) return;
    shownSteps_ = steps;
    shown_->Step(done_.load(std::memory_order_relaxed), total_.load(std::memory_order_relaxed));
  }

 private:
  WorkProgress* shown_;
  Channel& channel_;
  std::atomic<long> done_{0}, total_{0};
  std::atomic<unsigned> steps_{0};
  unsigned shownSteps_ = 0;
};

// A window closed from the window system while the work runs is held off as user input is, and
// closed once the work is over (a box of the work takes its own closing as always).
class HeldCloses : public QObject {
 public:
  HeldCloses() { QCoreApplication::instance()->installEventFilter(this); }
  ~HeldCloses() override {
    QCoreApplication::instance()->removeEventFilter(this);
    for (const QPointer<QWidget>& window : held_)
      if (window) QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
  }
  bool eventFilter(QObject* object, QEvent* event) override {
    auto* window = qobject_cast<QWidget*>(object);
    if (!window || event->type() != QEvent::Close || !event->spontaneous() || QApplication::activeModalWidget())
      return false;
    if (!held_.contains(window)) held_.push_back(window);
    event->ignore();
    return true;
  }

 private:
  QList<QPointer<QWidget>> held_;
};

bool OnUserInterfaceThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

}  // namespace

bool WorkingAside() { return g_aside; }

void RunAside(const std::function<void(WorkProgress*)>& work, WorkProgress* shown) {
  if (g_aside || !OnUserInterfaceThread()) {
    work(shown);
    return;
  }
  Channel channel;
  ForwardedProgress forwarded(shown, channel);
  const auto showLastStep = [&] {
    if (shown) forwarded.ShowLastStep();
  };
  // Each notice of the work is shown here, as the sink in place would show it, before the work
  // goes on.
  NoticeSink previous;
  previous = SetNoticeSink([&](const Notice& notice) {
    const auto show = [&] {
      if (previous)
        previous(notice);
      else
        std::fprintf(stderr, "[0x%02X] %s\n", static_cast<unsigned>(notice.icon), cp1252::ToUtf8(notice.text).c_str());
    };
    if (OnUserInterfaceThread())
      show();
    else
      channel.Call(show);
  });
  g_aside = true;
  std::optional<HeldCloses> closes;
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) closes.emplace();
  std::exception_ptr thrown;
  std::thread worker([&] {
    try {
      work(shown ? &forwarded : nullptr);
    } catch (...) {
      thrown = std::current_exception();
    }
    channel.Finish();
  });
  while (channel.Serve(showLastStep)) {
    try {
      showLastStep();
      PumpBusy();
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    } catch (...) {
      if (!channel.thrown) channel.thrown = std::current_exception();
    }
  }
  worker.join();
  closes.reset();
  g_aside = false;
  SetNoticeSink(std::move(previous));
  if (!thrown) thrown = channel.thrown;
  if (!thrown) showLastStep();
  if (thrown) std::rethrow_exception(thrown);
}
