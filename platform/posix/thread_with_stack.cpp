#include "platform/thread_with_stack.h"

#include <pthread.h>

namespace avex::platform {

namespace {

void* RunWork(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return nullptr;
}

}  // namespace

bool RunOnThreadWithStack(size_t stackBytes, const std::function<void()>& work) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_t thread;
  const bool made = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                    pthread_create(&thread, &attributes, RunWork,
                                   const_cast<std::function<void()>*>(&work)) == 0;
  pthread_attr_destroy(&attributes);
  if (made) pthread_join(thread, nullptr);
  return made;
}

}  // namespace avex::platform
