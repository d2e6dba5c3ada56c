#include "shell/RzShellIntf.h"

#include <process.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>

#include "framework/WindowClass.h"
#include "framework/runtime/Text.h"
#include "shell/RzComBase.h"
#include "shell/RzShellUtils.h"

namespace kovra {

// ---- TChangeHandlerThread ----

namespace {

enum TChangeAction : int { caAdd = 0, caRemoveOne = 1, caRemoveAll = 2, caStop = 3 };

}  // namespace

struct TChangeHandlerThread::State {
  HWND owner = nullptr;
  UINT message = 0;
  KernelHandle doAction;   // auto-reset: a request is waiting
  KernelHandle processed;  // auto-reset: the thread has answered one
  std::atomic<bool> terminate{false};

  // The request, under the mutex. A request the thread has not taken yet can be withdrawn.
  std::mutex mutex;
  bool requestPending = false;
  int action = caAdd;
  HANDLE pendingHandle = nullptr;
  int removeSlot = -1;
  std::uint64_t requestId = 0;
  std::uint64_t answeredId = 0;
  int lastAddSlot = -1;

  // The thread's own table.
  HANDLE table[kMaxWatches];

  State() { std::fill(std::begin(table), std::end(table), INVALID_HANDLE_VALUE); }

  void CloseSlot(int slot) {
    if (slot < 0 || slot >= kMaxWatches || table[slot] == INVALID_HANDLE_VALUE) return;
    FindCloseChangeNotification(table[slot]);
    table[slot] = INVALID_HANDLE_VALUE;
  }

  // Runs the waiting request; returns false when the thread is to stop.
  bool Perform() {
    std::lock_guard lock(mutex);
    if (!requestPending) return !terminate;
    requestPending = false;
    answeredId = requestId;
    switch (action) {
      case caAdd: {
        lastAddSlot = -1;
        for (int i = 0; i < kMaxWatches; ++i) {
          if (table[i] == INVALID_HANDLE_VALUE) {
            table[i] = pendingHandle;
            lastAddSlot = i;
            break;
          }
        }
        // With the table full the handle has nowhere to live.
        if (lastAddSlot < 0) FindCloseChangeNotification(pendingHandle);
        pendingHandle = nullptr;
        break;
      }
      case caRemoveOne:
        CloseSlot(removeSlot);
        break;
      case caRemoveAll:
        for (int i = 0; i < kMaxWatches; ++i) CloseSlot(i);
        break;
      case caStop:
        terminate = true;
        break;
    }
    return !terminate;
  }

  void Run() {
    for (;;) {
      HANDLE waits[kMaxWatches + 1];
      int slots[kMaxWatches + 1];
      DWORD count = 0;
      waits[count] = doAction.Get();
      slots[count++] = -1;
      for (int i = 0; i < kMaxWatches; ++i) {
        if (table[i] == INVALID_HANDLE_VALUE) continue;
        waits[count] = table[i];
        slots[count++] = i;
      }
      const DWORD result = WaitForMultipleObjects(count, waits, FALSE, INFINITE);
      if (terminate) break;
      if (result == WAIT_OBJECT_0) {
        const bool goOn = Perform();
        SetEvent(processed.Get());
        if (!goOn) break;
      } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
        const int slot = slots[result - WAIT_OBJECT_0];
        PostMessageW(owner, message, static_cast<WPARAM>(slot), 0);
        // A folder that was deleted cannot be watched again.
        if (!FindNextChangeNotification(table[slot])) CloseSlot(slot);
      } else if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) {
        CloseSlot(slots[result - WAIT_ABANDONED_0]);
      } else {
        RecoverFromFailedWait();
      }
    }
    for (int i = 0; i < kMaxWatches; ++i) CloseSlot(i);
  }

  // A handle that went bad makes every wait fail at once: drop the slots that cannot be waited
  // on, or, when none can be blamed, wait for the next request alone, so the thread never spins.
  void RecoverFromFailedWait() {
    bool dropped = false;
    for (int i = 0; i < kMaxWatches; ++i) {
      if (table[i] != INVALID_HANDLE_VALUE && WaitForSingleObject(table[i], 0) == WAIT_FAILED) {
        table[i] = INVALID_HANDLE_VALUE;  // not ours to close any more
        dropped = true;
      }
    }
    if (!dropped && WaitForSingleObject(doAction.Get(), INFINITE) == WAIT_OBJECT_0) {
      SetEvent(doAction.Get());  // let the loop's wait see the request
    }
  }
};

namespace {

unsigned __stdcall ChangeThreadMain(void* param) {
  auto* holder = static_cast<std::shared_ptr<TChangeHandlerThread::State>*>(param);
  std::shared_ptr<TChangeHandlerThread::State> state = std::move(*holder);
  delete holder;
  state->Run();
  return 0;
}

}  // namespace

TChangeHandlerThread::TChangeHandlerThread(HWND owner, UINT message)
    : state_(std::make_shared<State>()) {
  state_->owner = owner;
  state_->message = message;
  state_->doAction.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  state_->processed.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!state_->doAction || !state_->processed) return;
  auto* holder = new std::shared_ptr<State>(state_);
  const auto handle = _beginthreadex(nullptr, 0, ChangeThreadMain, holder, 0, nullptr);
  if (handle == 0) {
    delete holder;
    return;
  }
  thread_.Reset(reinterpret_cast<HANDLE>(handle));
}

TChangeHandlerThread::~TChangeHandlerThread() {
  if (!thread_) return;
  {
    std::lock_guard lock(state_->mutex);
    if (state_->requestPending && state_->action == caAdd && state_->pendingHandle) {
      FindCloseChangeNotification(state_->pendingHandle);
    }
    state_->pendingHandle = nullptr;
    state_->action = caStop;
    state_->requestPending = true;
    ++state_->requestId;
  }
  SetEvent(state_->doAction.Get());
  // After a time-out the thread keeps its share of the state and closes its handles itself
  // when it finally ends.
  WaitForSingleObject(thread_.Get(), kStopTimeoutMs);
  state_->terminate = true;
}

bool TChangeHandlerThread::Running() const {
  return thread_ && WaitForSingleObject(thread_.Get(), 0) == WAIT_TIMEOUT;
}

bool TChangeHandlerThread::Request(int action, HANDLE handle, int slot, int* addedSlot) {
  std::uint64_t id = 0;
  // Cleared before the request exists, so that any signal from here on answers this request
  // or a later one, never an older withdrawn one.
  ResetEvent(state_->processed.Get());
  {
    std::lock_guard lock(state_->mutex);
    state_->action = action;
    state_->pendingHandle = handle;
    state_->removeSlot = slot;
    state_->requestPending = true;
    id = ++state_->requestId;
  }
  SetEvent(state_->doAction.Get());
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    const DWORD wait = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
    const DWORD result = WaitForSingleObject(state_->processed.Get(), wait);
    std::lock_guard lock(state_->mutex);
    if (state_->answeredId == id) {
      if (addedSlot) *addedSlot = state_->lastAddSlot;
      return action != caAdd || state_->lastAddSlot >= 0;
    }
    if (result != WAIT_OBJECT_0) {
      // Not taken in time: withdraw it, so it cannot run later behind the caller's back.
      if (state_->requestPending && state_->requestId == id) {
        state_->requestPending = false;
        if (action == caAdd && state_->pendingHandle) {
          FindCloseChangeNotification(state_->pendingHandle);
        }
        state_->pendingHandle = nullptr;
      }
      return false;
    }
  }
}

bool TChangeHandlerThread::AddWatch(std::string_view path, DWORD filter, bool watchSubtree,
                                    int* slot) {
  if (slot) *slot = -1;
  if (path.empty() || !Running()) return false;
  const HANDLE handle =
      FindFirstChangeNotificationW(Wide(path).c_str(), watchSubtree ? TRUE : FALSE, filter);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  return Request(caAdd, handle, -1, slot);
}

bool TChangeHandlerThread::RemoveWatch(int slot) {
  if (slot < 0 || slot >= kMaxWatches || !Running()) return false;
  return Request(caRemoveOne, nullptr, slot, nullptr);
}

bool TChangeHandlerThread::RemoveAllWatches() {
  if (!Running()) return false;
  return Request(caRemoveAll, nullptr, -1, nullptr);
}

// ---- TRzFormatEtcList ----

namespace {

class TRzEnumFormatEtc final : public TRzComObject<IEnumFORMATETC> {
 public:
  TRzEnumFormatEtc(std::shared_ptr<const std::vector<FORMATETC>> formats, std::size_t position)
      : TRzComObject(IID_IEnumFORMATETC), formats_(std::move(formats)), position_(position) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG copied = 0;
    while (copied < count && position_ < formats_->size()) out[copied++] = (*formats_)[position_++];
    if (fetched) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = formats_->size() - position_;
    if (count > left) {
      position_ = formats_->size();
      return S_FALSE;
    }
    position_ += count;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    position_ = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
    if (!out) return E_POINTER;
    return ComGuard([&] {
      *out = new TRzEnumFormatEtc(formats_, position_);
      return S_OK;
    });
  }

 private:
  std::shared_ptr<const std::vector<FORMATETC>> formats_;
  std::size_t position_;
};

}  // namespace

void TRzFormatEtcList::Add(CLIPFORMAT format) {
  formats_.push_back(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
}

bool TRzFormatEtcList::Contains(CLIPFORMAT format) const {
  return std::any_of(formats_.begin(), formats_.end(),
                     [format](const FORMATETC& f) { return f.cfFormat == format; });
}

ComPtr<IEnumFORMATETC> TRzFormatEtcList::CreateEnumerator() const {
  auto snapshot = std::make_shared<const std::vector<FORMATETC>>(formats_);
  return ComPtr<IEnumFORMATETC>(new TRzEnumFormatEtc(std::move(snapshot), 0));
}

// ---- TDataObject ----

namespace {

struct GlobalTraits {
  using Handle = HGLOBAL;
  static HGLOBAL Invalid() { return nullptr; }
  static bool IsValid(HGLOBAL h) { return h != nullptr; }
  static void Close(HGLOBAL h) { GlobalFree(h); }
};
using GlobalHandle = ScopedHandle<GlobalTraits>;

GlobalHandle GlobalCopy(const void* data, std::size_t size) {
  GlobalHandle block(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block) return block;
  void* p = GlobalLock(block.Get());
  if (!p) return {};
  std::memcpy(p, data, size);
  GlobalUnlock(block.Get());
  return block;
}

class TDataObjectImpl final : public TRzComObject<IDataObject> {
 public:
  TDataObjectImpl() : TRzComObject(IID_IDataObject) {}

  void Offer(CLIPFORMAT format, const TRzIdBytes& block) {
    if (block.empty()) return;
    formats_.Add(format);
    blocks_.push_back(block);
  }
  bool Empty() const { return formats_.Count() == 0; }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    return ComGuard([&]() -> HRESULT {
      const HRESULT ok = QueryGetData(format);
      if (FAILED(ok)) return ok;
      const TRzIdBytes& block = blocks_[static_cast<std::size_t>(IndexOf(format->cfFormat))];
      GlobalHandle copy = GlobalCopy(block.data(), block.size());
      if (!copy) return E_OUTOFMEMORY;
      *medium = STGMEDIUM{};
      medium->tymed = TYMED_HGLOBAL;
      medium->hGlobal = copy.Release();
      medium->pUnkForRelease = nullptr;
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    if (format->dwAspect != DVASPECT_CONTENT || IndexOf(format->cfFormat) < 0) {
      return DV_E_FORMATETC;
    }
    if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    return ComGuard([&] {
      *out = formats_.CreateEnumerator().Detach();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  int IndexOf(CLIPFORMAT format) const {
    for (int i = 0; i < formats_.Count(); ++i) {
      if (formats_[i].cfFormat == format) return i;
    }
    return -1;
  }

  TRzFormatEtcList formats_;
  std::vector<TRzIdBytes> blocks_;  // parallel to formats_
};

}  // namespace

ComPtr<IDataObject> TDataObject::Create(const TRzIdBytes& idListArray, const TRzIdBytes& fileDrop) {
  ComPtr<TDataObjectImpl> object(new TDataObjectImpl);
  object->Offer(static_cast<CLIPFORMAT>(ShellIdListFormat()), idListArray);
  object->Offer(CF_HDROP, fileDrop);
  if (object->Empty()) return {};
  return ComPtr<IDataObject>(object.Detach());
}

ComPtr<IDataObject> TDataObject::CreateForItems(LPCITEMIDLIST parentAbsolute, IShellFolder* parent,
                                                const std::vector<LPCITEMIDLIST>& items) {
  if (items.empty()) return {};
  TShellFolderPtr bound;
  if (!parent) {
    if (FAILED(BindToFolder(parentAbsolute, bound))) return {};
    parent = bound.Get();
  }
  static const std::uint8_t kDesktop[2] = {0, 0};
  const std::span<const std::uint8_t> parentBytes =
      parentAbsolute ? IdListBytes(parentAbsolute) : std::span<const std::uint8_t>(kDesktop);
  std::vector<std::span<const std::uint8_t>> itemBytes;
  std::vector<std::u16string> paths;
  for (LPCITEMIDLIST item : items) {
    if (!item) continue;
    itemBytes.push_back(IdListBytes(item));
    // Virtual items have no file name to hand to programs that only read file drops.
    if (ItemAttributes(parent, item, SFGAO_FILESYSTEM) != 0) {
      const std::string path = ItemDisplayName(parent, item, snkForParsing);
      if (!path.empty()) paths.push_back(Utf8ToUtf16(path));
    }
  }
  if (itemBytes.empty()) return {};
  const TRzIdBytes fileDrop = paths.empty() ? TRzIdBytes() : BuildFileDropBlock(paths);
  return Create(BuildIdListArray(parentBytes, itemBytes), fileDrop);
}

// ---- TDropSource ----

namespace {

class TDropSourceImpl final : public TRzComObject<IDropSource> {
 public:
  explicit TDropSourceImpl(DWORD button) : TRzComObject(IID_IDropSource), button_(button) {}

  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    constexpr DWORD kButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
    if (escapePressed || (keyState & kButtons & ~button_) != 0) return DRAGDROP_S_CANCEL;
    if ((keyState & button_) != 0) return S_OK;
    return DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 private:
  DWORD button_;
};

}  // namespace

ComPtr<IDropSource> TDropSource::Create(DWORD button) {
  return ComPtr<IDropSource>(new TDropSourceImpl(button));
}

// ---- TDropTarget ----

ComPtr<TDropTarget> TDropTarget::Create(IRzDropTargetOwner* owner) {
  return ComPtr<TDropTarget>(new TDropTarget(owner));
}

HRESULT TDropTarget::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
    *out = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG TDropTarget::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG TDropTarget::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT TDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!owner_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  return ComGuard([&] { return owner_->OleDragEnter(data, keyState, point, effect); });
}

HRESULT TDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!owner_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  return ComGuard([&] { return owner_->OleDragOver(keyState, point, effect); });
}

HRESULT TDropTarget::DragLeave() {
  if (!owner_) return S_OK;
  return ComGuard([&] { return owner_->OleDragLeave(); });
}

HRESULT TDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  if (!owner_) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  return ComGuard([&] { return owner_->OleDrop(data, keyState, point, effect); });
}

// ---- Shell drop helpers ----

DWORD DropEffectsOfAttributes(SFGAOF attributes) {
  DWORD effects = DROPEFFECT_NONE;
  if (attributes & SFGAO_CANCOPY) effects |= DROPEFFECT_COPY;
  if (attributes & SFGAO_CANMOVE) effects |= DROPEFFECT_MOVE;
  if (attributes & SFGAO_CANLINK) effects |= DROPEFFECT_LINK;
  return effects;
}

std::optional<TRzIdListArrayData> ReadIdListArray(IDataObject* data) {
  if (!data) return std::nullopt;
  FORMATETC format{static_cast<CLIPFORMAT>(ShellIdListFormat()), nullptr, DVASPECT_CONTENT, -1,
                   TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) return std::nullopt;
  std::optional<TRzIdListArrayData> result;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    const SIZE_T size = GlobalSize(medium.hGlobal);
    if (const void* p = GlobalLock(medium.hGlobal)) {
      result = ParseIdListArray({static_cast<const std::uint8_t*>(p), size});
      GlobalUnlock(medium.hGlobal);
    }
  }
  ReleaseStgMedium(&medium);
  return result;
}

DWORD DragEffectsOfItems(IShellFolder* parent, const std::vector<LPCITEMIDLIST>& items) {
  constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  if (!parent || items.empty()) return kAll;
  std::vector<PCUITEMID_CHILD> children;
  children.reserve(items.size());
  for (LPCITEMIDLIST item : items) {
    if (!item) return kAll;
    children.push_back(AsChild(item));
  }
  SFGAOF attributes = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
  if (FAILED(parent->GetAttributesOf(static_cast<UINT>(children.size()), children.data(),
                                     &attributes))) {
    return kAll;
  }
  return DropEffectsOfAttributes(attributes);
}

DWORD SharedDropEffects(IDataObject* data) {
  constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  const auto array = ReadIdListArray(data);
  if (!array || array->Items.empty()) return kAll;
  TRzPidl parentList = IdListFromBytes(array->Parent);
  TShellFolderPtr parent;
  if (!parentList || FAILED(BindToFolder(parentList.Get(), parent))) return kAll;
  std::vector<LPCITEMIDLIST> items;
  items.reserve(array->Items.size());
  for (const auto& item : array->Items) {
    items.push_back(reinterpret_cast<LPCITEMIDLIST>(item.data()));
  }
  return DragEffectsOfItems(parent.Get(), items);
}

ComPtr<IDropTarget> ShellDropTargetOf(HWND owner, LPCITEMIDLIST absolute) {
  void* raw = nullptr;
  if (IdListItemCount(absolute) == 0) {
    TShellFolderPtr desktop = DesktopFolder();
    if (!desktop || FAILED(desktop->CreateViewObject(owner, IID_IDropTarget, &raw)) || !raw) {
      return {};
    }
    return ComPtr<IDropTarget>(static_cast<IDropTarget*>(raw));
  }
  TRzIdListArray parts(absolute);
  TShellFolderPtr parent;
  if (FAILED(BindToFolder(parts.Ancestor(1), parent)) || !parent) return {};
  PCUITEMID_CHILD last[] = {AsChild(IdListLastItem(absolute))};
  if (FAILED(parent->GetUIObjectOf(owner, 1, last, IID_IDropTarget, nullptr, &raw)) || !raw) {
    return {};
  }
  return ComPtr<IDropTarget>(static_cast<IDropTarget*>(raw));
}

HRESULT DoShellDragDrop(IDataObject* data, DWORD allowedEffects, DWORD button, DWORD* effect) {
  DWORD ignored = DROPEFFECT_NONE;
  if (!effect) effect = &ignored;
  *effect = DROPEFFECT_NONE;
  if (!data) return E_INVALIDARG;
  ComPtr<IDropSource> source = TDropSource::Create(button);
  return DoDragDrop(data, source.Get(), allowedEffects, effect);
}

}  // namespace kovra
