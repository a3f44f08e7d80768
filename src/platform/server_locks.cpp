#include <atomic>

#include "platform/Unknown.h"

namespace orlim {

namespace {
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};
}  // namespace

void moduleObjectCreated() { ++liveObjects; }
void moduleObjectDestroyed() { --liveObjects; }
void moduleLock(bool lock) {
  if (lock) {
    ++serverLocks;
    return;
  }
  // An unlock without a lock is ignored rather than hiding a later lock.
  long held = serverLocks.load();
  while (held > 0 && !serverLocks.compare_exchange_weak(held, held - 1)) {
  }
}
bool moduleInUse() { return liveObjects.load() > 0 || serverLocks.load() > 0; }

}  // namespace orlim
