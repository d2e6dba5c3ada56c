// Owned COM interface pointers.
//   ComPtr<T>   holds one reference to an interface and releases it on every path; move-only, so
//               a reference is never released twice, and nothing converts to the raw pointer
//               implicitly.
#pragma once

#include <objbase.h>
#include <unknwn.h>

#include <utility>

namespace kovra {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already holds (as returned by a Create or Get call).
  explicit ComPtr(T* p) : p_(p) {}
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(other.Detach()) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  // A second reference to `p`, which stays with the caller too.
  static ComPtr AddRefOf(T* p) {
    if (p) p->AddRef();
    return ComPtr(p);
  }
  ComPtr Clone() const { return AddRefOf(p_); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out parameters: releases what is held and hands out the slot to fill.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset(T* p = nullptr) {
    if (T* old = std::exchange(p_, p)) old->Release();
  }

  // Another interface of the same object; empty when the object does not offer it.
  template <class U>
  ComPtr<U> As(REFIID iid) const {
    void* raw = nullptr;
    // A failing object may leave garbage in the slot: only a success hands out a pointer.
    if (p_ && SUCCEEDED(p_->QueryInterface(iid, &raw))) return ComPtr<U>(static_cast<U*>(raw));
    return ComPtr<U>();
  }

 private:
  T* p_ = nullptr;
};

}  // namespace kovra
