// The object model the module speaks with its containers: IUnknown (reference
// counting and interface lookup by IID), IClassFactory, and the live-object and
// lock counts that tell whether the module may be unloaded. The interfaces are
// abstract classes whose calls go through the virtual table only, so a
// container that merely loads the module can use them without linking to it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Guid.h"
#include "platform/HResult.h"
#include "platform/orlim_api.h"

namespace orlim {

using ULONG = std::uint32_t;

constexpr IID IID_IUnknown = makeGuid("{00000000-0000-0000-C000-000000000046}");
constexpr IID IID_IClassFactory = makeGuid("{00000001-0000-0000-C000-000000000046}");

class ORLIM_API IUnknown {
 public:
  // On success *object holds the interface with a reference added; on failure
  // E_NOINTERFACE (E_POINTER for a null out pointer) and *object null.
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  // Drops a reference; the object goes away with the last one.
  virtual ULONG Release() = 0;

 protected:
  // Objects are destroyed through Release, never deleted by their users.
  virtual ~IUnknown() = default;
};

class ORLIM_API IClassFactory : public IUnknown {
 public:
  // Creates an object of the factory's class and returns the interface `iid`
  // of it. `outer` must be null (no aggregation: CLASS_E_NOAGGREGATION).
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
  // Keeps the module loaded while locked (calls nest).
  virtual HRESULT LockServer(bool lock) = 0;
};

// The module's counts behind DllCanUnloadNow: objects alive and LockServer locks.
ORLIM_API void moduleObjectCreated();
ORLIM_API void moduleObjectDestroyed();
ORLIM_API void moduleLock(bool lock);
ORLIM_API bool moduleInUse();

// Counts the object that holds it as alive for as long as it exists.
class ORLIM_API LiveModuleObject {
 public:
  LiveModuleObject() { moduleObjectCreated(); }
  ~LiveModuleObject() { moduleObjectDestroyed(); }
  LiveModuleObject(const LiveModuleObject&) : LiveModuleObject() {}
  LiveModuleObject& operator=(const LiveModuleObject&) { return *this; }
};

// A reference count that starts with the creator's reference.
class ORLIM_API ReferenceCount {
 public:
  ULONG add() { return ++count_; }
  // The count left; zero means the owner should destroy itself.
  ULONG release() { return --count_; }

 private:
  std::atomic<ULONG> count_{1};
};

}  // namespace orlim
