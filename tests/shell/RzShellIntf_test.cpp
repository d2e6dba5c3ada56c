#include "shell/RzShellIntf.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "framework/WindowClass.h"
#include "framework/runtime/Text.h"
#include "shell/RzShellUtils.h"
#include "support/TestPaths.h"
#include "support/Wait.h"

namespace kovra {
namespace {

// A hidden window that records the change messages posted to it.
class Listener {
 public:
  Listener()
      : window_([this](TMessage& m) {
          if (m.Msg != TChangeHandlerThread::kDefaultMessage) return false;
          slots.push_back(static_cast<int>(m.WParam));
          return true;
        }) {}
  HWND Handle() const { return window_.Handle(); }
  std::vector<int> slots;

 private:
  TUtilityWindow window_;
};

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void Touch(const std::string& path) {
  ASSERT_TRUE(test::MakeFile(path)) << path;
}

TEST(ChangeHandlerThread, PostsTheSlotOfAChangedFolderAndStopsCleanly) {
  test::ScratchDir scratch;
  const std::string folder = scratch.Folder();
  Listener listener;
  auto thread = std::make_unique<TChangeHandlerThread>(listener.Handle());
  ASSERT_TRUE(thread->Running());

  int first = -1, second = -1;
  ASSERT_TRUE(CreateDirectoryW(Wide(folder + "\\other").c_str(), nullptr));
  ASSERT_TRUE(thread->AddWatch(folder + "\\other", FILE_NOTIFY_CHANGE_FILE_NAME, false, &first));
  ASSERT_TRUE(thread->AddWatch(folder, FILE_NOTIFY_CHANGE_FILE_NAME, false, &second));
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);

  Touch(folder + "\\new.txt");
  ASSERT_TRUE(test::WaitUntil([&] { return !listener.slots.empty(); }));
  EXPECT_EQ(listener.slots.front(), second);

  // The notification is re-armed: a second change is reported too.
  listener.slots.clear();
  Touch(folder + "\\other\\x.txt");
  ASSERT_TRUE(test::WaitUntil([&] { return !listener.slots.empty(); }));
  EXPECT_EQ(listener.slots.front(), first);

  EXPECT_TRUE(thread->RemoveWatch(first));
  int reused = -1;
  ASSERT_TRUE(thread->AddWatch(folder, FILE_NOTIFY_CHANGE_DIR_NAME, true, &reused));
  EXPECT_EQ(reused, first);  // the freed slot is taken again
  EXPECT_TRUE(thread->RemoveAllWatches());
  thread.reset();  // returns once the thread has ended and closed its handles
}

TEST(ChangeHandlerThread, ADeletedFolderFreesItsSlotAndTheThreadGoesOn) {
  test::ScratchDir scratch;
  const std::string folder = scratch.Folder();
  ASSERT_TRUE(CreateDirectoryW(Wide(folder + "\\gone").c_str(), nullptr));
  Listener listener;
  TChangeHandlerThread thread(listener.Handle());
  int gone = -1, kept = -1;
  ASSERT_TRUE(thread.AddWatch(folder + "\\gone", FILE_NOTIFY_CHANGE_DIR_NAME, false, &gone));
  ASSERT_TRUE(thread.AddWatch(folder, FILE_NOTIFY_CHANGE_DIR_NAME, false, &kept));
  ASSERT_TRUE(RemoveDirectoryW(Wide(folder + "\\gone").c_str()));
  if (RunningUnderWine()) {
    GTEST_SKIP() << "Wine keeps a watched folder's deletion pending and never signals the watch";
  }
  ASSERT_TRUE(test::WaitUntil([&] {
    return std::find(listener.slots.begin(), listener.slots.end(), gone) != listener.slots.end();
  }));
  // Once the dead watch has fired and failed to re-arm, its slot is free again.
  int next = -1;
  ASSERT_TRUE(test::WaitUntil(
      [&] {
        if (!thread.AddWatch(folder, FILE_NOTIFY_CHANGE_FILE_NAME, false, &next)) return false;
        if (next == gone) return true;
        thread.RemoveWatch(next);
        return false;
      },
      std::chrono::seconds(5)));
  listener.slots.clear();
  Touch(folder + "\\after.txt");
  EXPECT_TRUE(test::WaitUntil([&] { return !listener.slots.empty(); }));
}

TEST(ChangeHandlerThread, RefusesWhatItCannotWatch) {
  test::ScratchDir scratch;
  const std::string folder = scratch.Folder();
  Listener listener;
  TChangeHandlerThread thread(listener.Handle());
  int slot = 7;
  EXPECT_FALSE(thread.AddWatch("", FILE_NOTIFY_CHANGE_FILE_NAME, false, &slot));
  EXPECT_EQ(slot, -1);
  EXPECT_FALSE(thread.AddWatch(folder + "\\missing", FILE_NOTIFY_CHANGE_FILE_NAME, false));
  EXPECT_FALSE(thread.RemoveWatch(TChangeHandlerThread::kMaxWatches));

  // 63 watches fit beside the request event; the 64th is refused.
  for (int i = 0; i < TChangeHandlerThread::kMaxWatches; ++i) {
    ASSERT_TRUE(thread.AddWatch(folder, FILE_NOTIFY_CHANGE_FILE_NAME, false, &slot)) << i;
    ASSERT_EQ(slot, i);
  }
  EXPECT_FALSE(thread.AddWatch(folder, FILE_NOTIFY_CHANGE_FILE_NAME, false, &slot));
  EXPECT_EQ(slot, -1);
  // The full table still works.
  Touch(folder + "\\full.txt");
  EXPECT_TRUE(test::WaitUntil([&] { return !listener.slots.empty(); }));
  EXPECT_TRUE(thread.RemoveAllWatches());
  EXPECT_TRUE(thread.AddWatch(folder, FILE_NOTIFY_CHANGE_FILE_NAME, false, &slot));
  EXPECT_EQ(slot, 0);
}

class DragDataTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratch_.Folder();
    Touch(folder_ + "\\a.txt");
    Touch(folder_ + "\\股票.txt");
    ASSERT_TRUE(CreateDirectoryW(Wide(folder_ + "\\sub").c_str(), nullptr));
    ASSERT_HRESULT_SUCCEEDED(PathToIdList(folder_, folderList_));
    ASSERT_HRESULT_SUCCEEDED(BindToFolder(folderList_.Get(), folder_ptr_));
    items_.push_back(Child("a.txt"));
    items_.push_back(Child("股票.txt"));
  }
  TRzPidl Child(const std::string& name) {
    TRzPidl full;
    EXPECT_HRESULT_SUCCEEDED(PathToIdList(folder_ + "\\" + name, full));
    return IdListCopy(IdListLastItem(full.Get()));
  }
  ComPtr<IDataObject> MakeData() {
    std::vector<LPCITEMIDLIST> items;
    for (const auto& item : items_) items.push_back(item.Get());
    return TDataObject::CreateForItems(folderList_.Get(), folder_ptr_.Get(), items);
  }
  static FORMATETC Format(CLIPFORMAT format, DWORD tymed = TYMED_HGLOBAL) {
    return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, tymed};
  }

  test::ScratchDir scratch_;
  std::string folder_;
  TRzPidl folderList_;
  TShellFolderPtr folder_ptr_;
  std::vector<TRzPidl> items_;
};

TEST_F(DragDataTest, OffersBothFormatsAndAnswersQueriesByTheRules) {
  ComPtr<IDataObject> data = MakeData();
  ASSERT_TRUE(data);
  const auto idList = static_cast<CLIPFORMAT>(ShellIdListFormat());
  ComPtr<IEnumFORMATETC> formats;
  ASSERT_HRESULT_SUCCEEDED(data->EnumFormatEtc(DATADIR_GET, formats.Put()));
  FORMATETC got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(formats->Next(3, got, &fetched), S_FALSE);  // fewer left than asked
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(got[0].cfFormat, idList);
  EXPECT_EQ(got[1].cfFormat, CF_HDROP);
  EXPECT_EQ(got[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(got[0].lindex, -1);
  EXPECT_EQ(formats->Next(1, got, nullptr), S_FALSE);
  EXPECT_EQ(formats->Reset(), S_OK);
  EXPECT_EQ(formats->Skip(1), S_OK);
  ComPtr<IEnumFORMATETC> clone;
  ASSERT_HRESULT_SUCCEEDED(formats->Clone(clone.Put()));
  ASSERT_EQ(clone->Next(1, got, nullptr), S_OK);  // the clone starts where the original was
  EXPECT_EQ(got[0].cfFormat, CF_HDROP);
  EXPECT_EQ(formats->Skip(5), S_FALSE);
  EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  IEnumFORMATETC* none = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &none), E_NOTIMPL);
  EXPECT_EQ(none, nullptr);

  FORMATETC query = Format(CF_HDROP);
  EXPECT_EQ(data->QueryGetData(&query), S_OK);
  query.dwAspect = DVASPECT_ICON;
  EXPECT_EQ(data->QueryGetData(&query), DV_E_FORMATETC);
  query = Format(CF_TEXT);
  EXPECT_EQ(data->QueryGetData(&query), DV_E_FORMATETC);
  query = Format(CF_HDROP, TYMED_ISTREAM);
  EXPECT_EQ(data->QueryGetData(&query), DV_E_TYMED);
  STGMEDIUM medium{};
  EXPECT_EQ(data->GetData(&query, &medium), DV_E_TYMED);
  EXPECT_EQ(data->GetDataHere(&query, &medium), E_NOTIMPL);
  EXPECT_EQ(data->SetData(&query, &medium, FALSE), E_NOTIMPL);
  DWORD connection = 0;
  EXPECT_EQ(data->DAdvise(&query, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
}

TEST_F(DragDataTest, FileDropAndIdListDataRoundTrip) {
  ComPtr<IDataObject> data = MakeData();
  ASSERT_TRUE(data);
  FORMATETC query = Format(CF_HDROP);
  STGMEDIUM medium{};
  ASSERT_HRESULT_SUCCEEDED(data->GetData(&query, &medium));
  ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
  EXPECT_EQ(medium.pUnkForRelease, nullptr);
  auto drop = static_cast<HDROP>(medium.hGlobal);
  ASSERT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
  wchar_t path[MAX_PATH];
  DragQueryFileW(drop, 0, path, MAX_PATH);
  EXPECT_TRUE(EqualsIgnoreAsciiCase(Narrow(path), folder_ + "\\a.txt"));
  // A name outside the ANSI code page survives the trip.
  DragQueryFileW(drop, 1, path, MAX_PATH);
  EXPECT_TRUE(EqualsIgnoreAsciiCase(Narrow(path), folder_ + "\\股票.txt"));
  ReleaseStgMedium(&medium);
  // Each GetData hands out a copy of its own.
  ASSERT_HRESULT_SUCCEEDED(data->GetData(&query, &medium));
  ReleaseStgMedium(&medium);

  const auto array = ReadIdListArray(data.Get());
  ASSERT_TRUE(array);
  ASSERT_EQ(array->Items.size(), 2u);
  TRzPidl parent = IdListFromBytes(array->Parent);
  EXPECT_EQ(IdListCompare(parent.Get(), folderList_.Get()), 0);
  TRzPidl second = IdListFromBytes(array->Items[1]);
  TRzPidl joined = IdListConcat(parent.Get(), second.Get());
  EXPECT_TRUE(EqualsIgnoreAsciiCase(IdListToPath(joined.Get()), folder_ + "\\股票.txt"));

  const DWORD effects = SharedDropEffects(data.Get());
  EXPECT_TRUE(effects & DROPEFFECT_COPY);
  EXPECT_TRUE(effects & DROPEFFECT_MOVE);
  EXPECT_EQ(effects, DragEffectsOfItems(folder_ptr_.Get(), {items_[0].Get(), items_[1].Get()}));
}

TEST_F(DragDataTest, VirtualItemsCarryNoFileNames) {
  TRzPidl computer;
  ASSERT_HRESULT_SUCCEEDED(SpecialFolderLocation(nullptr, CSIDL_DRIVES, computer));
  ComPtr<IDataObject> data =
      TDataObject::CreateForItems(nullptr, nullptr, {IdListLastItem(computer.Get())});
  ASSERT_TRUE(data);
  FORMATETC query = Format(CF_HDROP);
  EXPECT_EQ(data->QueryGetData(&query), DV_E_FORMATETC);
  query = Format(static_cast<CLIPFORMAT>(ShellIdListFormat()));
  EXPECT_EQ(data->QueryGetData(&query), S_OK);
  const auto array = ReadIdListArray(data.Get());
  ASSERT_TRUE(array);
  EXPECT_EQ(array->Parent, (TRzIdBytes{0, 0}));  // the desktop

  EXPECT_FALSE(TDataObject::Create({}, {}));
  EXPECT_FALSE(TDataObject::CreateForItems(nullptr, nullptr, {}));
  // Data without an identifier-list array limits nothing.
  ComPtr<IDataObject> filesOnly = TDataObject::Create({}, BuildFileDropBlock({u"C:\\x"}));
  EXPECT_FALSE(ReadIdListArray(filesOnly.Get()));
  EXPECT_EQ(SharedDropEffects(filesOnly.Get()),
            static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
}

TEST(DropSource, ContinuesDropsOrCancelsByTheStartingButton) {
  ComPtr<IDropSource> left = TDropSource::Create(MK_LBUTTON);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
  EXPECT_EQ(left->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(left->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
  ComPtr<IDropSource> right = TDropSource::Create(MK_RBUTTON);
  EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_RBUTTON), S_OK);
  EXPECT_EQ(right->QueryContinueDrag(FALSE, MK_MBUTTON), DRAGDROP_S_CANCEL);
  EXPECT_EQ(right->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
}

class RecordingOwner : public IRzDropTargetOwner {
 public:
  HRESULT OleDragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    calls.push_back("enter");
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT OleDragOver(DWORD, POINTL point, DWORD* effect) override {
    calls.push_back("over");
    if (point.x < 0) throw Exception("bad point");
    *effect = DROPEFFECT_MOVE;
    return S_OK;
  }
  HRESULT OleDragLeave() override {
    calls.push_back("leave");
    return S_OK;
  }
  HRESULT OleDrop(IDataObject*, DWORD, POINTL, DWORD* effect) override {
    calls.push_back("drop");
    *effect = DROPEFFECT_LINK;
    return S_OK;
  }
  std::vector<std::string> calls;
};

TEST(DropTarget, ForwardsToItsOwnerUntilDisconnected) {
  RecordingOwner owner;
  ComPtr<TDropTarget> target = TDropTarget::Create(&owner);
  auto asTarget = ComPtr<TDropTarget>::AddRefOf(target.Get()).As<IDropTarget>(IID_IDropTarget);
  ASSERT_TRUE(asTarget);
  DWORD effect = 0;
  EXPECT_EQ(asTarget->DragEnter(nullptr, 0, {1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(asTarget->DragOver(0, {1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
  // An exception in the control never crosses into OLE.
  EXPECT_EQ(asTarget->DragOver(0, {-1, 1}, &effect), E_UNEXPECTED);
  EXPECT_EQ(asTarget->DragOver(0, {1, 1}, nullptr), E_INVALIDARG);
  EXPECT_EQ(asTarget->DragLeave(), S_OK);
  EXPECT_EQ(asTarget->Drop(nullptr, 0, {1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_LINK));
  EXPECT_EQ(owner.calls, (std::vector<std::string>{"enter", "over", "over", "leave", "drop"}));

  target->Disconnect();  // the control is gone, OLE still holds the target
  effect = DROPEFFECT_COPY;
  EXPECT_EQ(asTarget->Drop(nullptr, 0, {1, 1}, &effect), S_OK);
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(owner.calls.size(), 5u);
}

TEST_F(DragDataTest, DroppingOnAFolderThroughTheShellCopiesTheFile) {
  TRzPidl sub;
  ASSERT_HRESULT_SUCCEEDED(PathToIdList(folder_ + "\\sub", sub));
  ComPtr<IDropTarget> target = ShellDropTargetOf(nullptr, sub.Get());
  ASSERT_TRUE(target) << "the shell offers no drop target for a file-system folder";
  items_.pop_back();  // a.txt alone
  ComPtr<IDataObject> data = MakeData();
  ASSERT_TRUE(data);
  DWORD effect = DROPEFFECT_COPY & SharedDropEffects(data.Get());
  POINTL point{0, 0};
  ASSERT_HRESULT_SUCCEEDED(target->DragEnter(data.Get(), MK_LBUTTON, point, &effect));
  effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(target->DragOver(MK_LBUTTON, point, &effect));
  effect = DROPEFFECT_COPY;
  ASSERT_HRESULT_SUCCEEDED(target->Drop(data.Get(), MK_LBUTTON, point, &effect));
  if (RunningUnderWine()) {
    // Wine's folder drop target accepts the drop but copies nothing, and its desktop offers
    // no drop target at all.
    GTEST_SKIP() << "the shell's folder drop target is a stub under Wine";
  }
  EXPECT_TRUE(test::WaitUntil([&] {
    return GetFileAttributesW(Wide(folder_ + "\\sub\\a.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
  }));
  EXPECT_NE(GetFileAttributesW(Wide(folder_ + "\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(ShellDropTargetOf(nullptr, nullptr));  // the desktop's own
}

}  // namespace
}  // namespace kovra
