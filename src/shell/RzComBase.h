// The reference counting and QueryInterface shared by the COM objects the shell layer
// implements. Objects start with one reference, which the creator takes over in a ComPtr.
#pragma once

#include <objbase.h>

#include <atomic>
#include <exception>
#include <new>

namespace kovra {

template <class Interface>
class TRzComObject : public Interface {
 public:
  explicit TRzComObject(const GUID& iid) : iid_(iid) {}
  TRzComObject(const TRzComObject&) = delete;
  TRzComObject& operator=(const TRzComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, iid_)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~TRzComObject() = default;

 private:
  const GUID iid_;
  std::atomic<ULONG> refs_{1};
};

// Runs a COM method's body; an exception becomes an HRESULT instead of crossing the boundary.
template <class Body>
HRESULT ComGuard(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace kovra
