// Change notification and OLE drag and drop for the shell tree and list.
//   TChangeHandlerThread    waits on file-change notifications of watched folders and posts to
//                           its owner's window
//   TRzFormatEtcList        the formats a data object offers, with their enumerator
//   TDataObject             "Shell IDList Array" and file-drop data of dragged shell items
//   TDropSource             ends or cancels a drag by the mouse button that began it
//   TDropTarget             forwards drops to its owner control (IRzDropTargetOwner)
//   Shell drop helpers      the shell's own drop target of a folder, shared drop effects, drag
#pragma once

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "framework/ComObj.h"
#include "framework/Handles.h"
#include "shell/RzShellLogic.h"

namespace kovra {

// ---- TChangeHandlerThread ----

// One thread per control. The user-interface thread hands it requests and waits at most two
// seconds for each; the thread's only output is a message posted to the owner window with the
// watch's slot index in wParam.
class TChangeHandlerThread {
 public:
  static constexpr UINT kDefaultMessage = 0x0465;
  // The wait function takes 64 objects; one is the request event.
  static constexpr int kMaxWatches = 63;
  static constexpr DWORD kRequestTimeoutMs = 2000;
  static constexpr DWORD kStopTimeoutMs = 30000;

  TChangeHandlerThread(HWND owner, UINT message = kDefaultMessage);
  // Stops the thread; every notification handle is closed.
  ~TChangeHandlerThread();
  TChangeHandlerThread(const TChangeHandlerThread&) = delete;
  TChangeHandlerThread& operator=(const TChangeHandlerThread&) = delete;

  bool Running() const;
  // False for an empty path, a path the system will not watch, a full table or a thread that
  // did not answer. `slot` receives the watch's index.
  bool AddWatch(std::string_view path, DWORD filter, bool watchSubtree, int* slot = nullptr);
  bool RemoveWatch(int slot);
  bool RemoveAllWatches();

  struct State;  // shared with the thread, which may outlive this object after a stop time-out

 private:
  bool Request(int action, HANDLE handle, int slot, int* addedSlot);

  std::shared_ptr<State> state_;
  KernelHandle thread_;
};

// ---- TRzFormatEtcList ----

// FORMATETC records for global-memory data of content aspect.
class TRzFormatEtcList {
 public:
  void Add(CLIPFORMAT format);
  int Count() const { return static_cast<int>(formats_.size()); }
  const FORMATETC& operator[](int index) const { return formats_.at(static_cast<size_t>(index)); }
  bool Contains(CLIPFORMAT format) const;
  // A new enumerator over a snapshot of the list, at its start.
  ComPtr<IEnumFORMATETC> CreateEnumerator() const;

 private:
  std::vector<FORMATETC> formats_;
};

// ---- TDataObject ----

// Data of dragged shell items. A format is offered only when its block was given (non-empty).
// The tree hands over its node (parent list and one item), the list its selected items.
class TDataObject {
 public:
  static ComPtr<IDataObject> Create(const TRzIdBytes& idListArray, const TRzIdBytes& fileDrop);
  // The items' "Shell IDList Array" and their for-parsing names (file-system items only) as
  // file-drop data. Null when nothing could be built.
  static ComPtr<IDataObject> CreateForItems(LPCITEMIDLIST parentAbsolute, IShellFolder* parent,
                                            const std::vector<LPCITEMIDLIST>& items);
};

// ---- TDropSource ----

class TDropSource {
 public:
  // `button` is MK_LBUTTON, MK_RBUTTON or MK_MBUTTON: the one that started the drag.
  static ComPtr<IDropSource> Create(DWORD button);
};

// ---- TDropTarget ----

// What the tree and the list do with a drag over them. Called on the user-interface thread.
class IRzDropTargetOwner {
 public:
  virtual HRESULT OleDragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;
  virtual HRESULT OleDragOver(DWORD keyState, POINTL point, DWORD* effect) = 0;
  virtual HRESULT OleDragLeave() = 0;
  virtual HRESULT OleDrop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) = 0;

 protected:
  ~IRzDropTargetOwner() = default;
};

// OLE may keep the target after the control is gone: the control disconnects it on destruction,
// and a disconnected target accepts nothing.
class TDropTarget final : public IDropTarget {
 public:
  static ComPtr<TDropTarget> Create(IRzDropTargetOwner* owner);
  void Disconnect() { owner_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point,
                                      DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point,
                                 DWORD* effect) override;

 private:
  explicit TDropTarget(IRzDropTargetOwner* owner) : owner_(owner) {}
  ~TDropTarget() = default;
  IRzDropTargetOwner* owner_;
  LONG refs_ = 1;
};

// ---- Shell drop helpers ----

// Copy, move and link (1, 2, 4) from SFGAO_CANCOPY, SFGAO_CANMOVE and SFGAO_CANLINK.
DWORD DropEffectsOfAttributes(SFGAOF attributes);
// The "Shell IDList Array" a data object carries, checked against its block; null when absent
// or damaged.
std::optional<TRzIdListArrayData> ReadIdListArray(IDataObject* data);
// The effects all the items allow (from their copy, move and link capabilities); all three when
// the folder cannot say.
DWORD DragEffectsOfItems(IShellFolder* parent, const std::vector<LPCITEMIDLIST>& items);
// The effects every item of the data's "Shell IDList Array" allows; all three without one.
DWORD SharedDropEffects(IDataObject* data);
// The shell's own drop target for the folder at `absolute` (the desktop's for the desktop).
ComPtr<IDropTarget> ShellDropTargetOf(HWND owner, LPCITEMIDLIST absolute);
// Runs the modal drag; returns DoDragDrop's code (DRAGDROP_S_DROP, DRAGDROP_S_CANCEL, ...).
HRESULT DoShellDragDrop(IDataObject* data, DWORD allowedEffects, DWORD button, DWORD* effect);

}  // namespace kovra
