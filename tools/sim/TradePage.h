// One order page of the simulated trading client: a child panel of the main window whose
// descendants are built from the page's table (PageLayout.h), in that order.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PageLayout.h"
#include "SimOptions.h"

namespace kovra::sim {

// What a page needs from the program around it.
class PageHost {
 public:
  virtual ~PageHost() = default;
  virtual const TradeOptions& Options() const = 0;
  virtual void Record(std::string_view event, const std::vector<std::string>& fields) = 0;
  // Gives a fault option its chance to strike at `event`.
  virtual void Strike(SimEvent event) = 0;
  // An order button has been pressed and journaled.
  virtual void OrderPlaced(PageKind kind, const std::string& summary) = 0;
  virtual HFONT Font() const = 0;
};

class TradePage {
 public:
  static bool RegisterClasses(HINSTANCE instance);

  // Creates the page hidden, with at most `maxControls` descendants (0: all of them).
  TradePage(PageHost& host, const PageTable& table, HWND parent, int maxControls);
  TradePage(const TradePage&) = delete;
  TradePage& operator=(const TradePage&) = delete;

  HWND Window() const { return wnd_; }
  const PageTable& Table() const { return table_; }
  // Clears the page as for a new order, shows it and focuses its first field.
  void Open();
  void Hide();
  HWND FocusTarget() const;
  // Lists an order on the withdrawal page.
  void AddPendingOrder(PageKind kind, const std::string& summary);

 private:
  struct Control {
    TradePage* page;
    int position;
    HWND wnd = nullptr;
    bool pressed = false;     // a button-down arrived and no button-up yet
    bool inButtonUp = false;  // the control's own click notification is ours to ignore
  };

  static LRESULT CALLBACK PageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleControl(Control& control, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetTextFromOutside(Control& control, WPARAM wParam, LPARAM lParam);
  void CreateControls(int count);
  HWND CreateControl(const ControlEntry& entry, HWND parent, int position);
  void OnCommand(HWND from, int code);
  void OnCodeChanged();
  void ShowFigures();
  void ClearFigures();
  void OnButton(int position);
  void OnCancelButton(int position);
  void UpdatePendingCount();

  HWND At(int position) const;
  int Position(ControlRole role) const;
  std::string TextAt(int position) const;
  void SetOwnText(int position, std::string_view text);

  PageHost& host_;
  const PageTable& table_;
  HWND wnd_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
  bool codeComplete_ = false;
  std::string completedCode_;
  bool settingOwnText_ = false;
};

}  // namespace kovra::sim
