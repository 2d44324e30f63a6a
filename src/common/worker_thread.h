#pragma once

#include <pthread.h>

#include <functional>

namespace tarnik {

// One function run on a second thread. Start says false when the system gives no thread, so
// the caller can do the work itself instead of ending the program. The destructor joins.
class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread() { Join(); }
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  bool Start(std::function<void()> work);
  // Waits for the function to return; nothing when none was started.
  void Join();

  // Processors this process may run on (at least 1).
  static unsigned Processors();

 private:
  static void* Run(void* self);

  std::function<void()> work_;
  pthread_t thread_{};
  bool running_ = false;
};

}  // namespace tarnik
