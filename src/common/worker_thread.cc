#include "common/worker_thread.h"

#include <sched.h>

#include <utility>

namespace tarnik {

bool WorkerThread::Start(std::function<void()> work) {
  if (running_) return false;
  work_ = std::move(work);
  running_ = ::pthread_create(&thread_, nullptr, &WorkerThread::Run, this) == 0;
  if (!running_) work_ = nullptr;
  return running_;
}

void WorkerThread::Join() {
  if (!running_) return;
  ::pthread_join(thread_, nullptr);
  running_ = false;
  work_ = nullptr;
}

void* WorkerThread::Run(void* self) {
  static_cast<WorkerThread*>(self)->work_();
  return nullptr;
}

unsigned WorkerThread::Processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  return 1;
}

}  // namespace tarnik
