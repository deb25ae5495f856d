// TApplication: forms, message loop and exception reporting.
#include "framework/application.h"

#include <algorithm>

#include "framework/datamodule.h"
#include "framework/form.h"
#include "framework/graphiccontrol.h"
#include "framework/wincontrol.h"
#include "platform/exceptions.h"

namespace framework {

namespace {
TApplication g_application;
}
TApplication* Application = &g_application;

TApplication::TApplication() : TComponent(nullptr) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, n);
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  Title = name;
}

void TApplication::Initialize() { terminated_ = false; }

void TApplication::FormCreated(TComponent* instance) {
  DeliverInsertNotification(instance);
  if (auto* form = dynamic_cast<TForm*>(instance)) {
    if (!main_form_) main_form_ = form;
    form->DoCreate();
  } else if (auto* module = dynamic_cast<TDataModule*>(instance)) {
    module->DoCreate();
  }
}

void TApplication::Run() {
  if (main_form_) {
    // A started program may take the foreground, so a box its main form's show event brings
    // up comes up active. Wine (without a window manager) hands this program the foreground
    // only once one of its windows is activated while visible, and a box activated before
    // that keeps an inactive caption: the main window claims it first, still hidden.
    SetForegroundWindow(main_form_->Handle());
    main_form_->Show();
  }
  while (!terminated_) HandleMessage();
  // What is freed now may still report (a module whose save fails): its boxes run message
  // loops of their own, which the quit message still queued would end before they are seen.
  MSG quit;
  while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  DestroyForms();
}

void TApplication::DestroyForms() {
  while (ComponentCount() > 0) {
    TComponent* c = Components(ComponentCount() - 1);
    RemoveComponent(c);
    delete c;
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN && msg.message != WM_CHAR)
    return false;
  HWND wnd = msg.hwnd;
  while (wnd && !TWinControl::FindControl(wnd)) wnd = GetParent(wnd);
  if (!wnd) return false;
  if (msg.message != WM_CHAR) {
    auto* form = dynamic_cast<TForm*>(GetParentForm(TWinControl::FindControl(wnd)));
    if (form && form->IsShortCut(static_cast<WORD>(msg.wParam), KeyboardShiftState())) return true;
  }
  return SendMessageA(wnd, CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

struct TMessageFilterRegistration::Entry {
  TApplication* application;
  TMessageFilter filter;
  bool removed = false;
};

TMessageFilterRegistration& TMessageFilterRegistration::operator=(
    TMessageFilterRegistration&& other) noexcept {
  if (this != &other) {
    Remove();
    entry_ = std::move(other.entry_);
  }
  return *this;
}

void TMessageFilterRegistration::Remove() {
  if (!entry_) return;
  std::shared_ptr<Entry> entry = std::move(entry_);
  auto& list = entry->application->filters_;
  list.erase(std::remove(list.begin(), list.end(), entry), list.end());
  // A running call holds its own reference to the entry, so the filter lives until it returns.
  entry->removed = true;
}

TMessageFilterRegistration TApplication::AddMessageFilter(TMessageFilter filter) {
  auto entry = std::make_shared<TMessageFilterRegistration::Entry>();
  entry->application = this;
  entry->filter = std::move(filter);
  filters_.push_back(entry);
  return TMessageFilterRegistration(std::move(entry));
}

// Each filter in order until one handles the message; a filter removed meanwhile is skipped, one
// added meanwhile waits for the next message.
bool TApplication::FilterMessage(MSG& msg) {
  if (filters_.empty()) return false;
  auto snapshot = filters_;
  for (auto& entry : snapshot) {
    if (entry->removed) continue;
    try {
      if (entry->filter(msg)) return true;
    } catch (...) {
      HandleException(this);
      return true;
    }
  }
  return false;
}

bool TApplication::ProcessMessage(MSG& msg) {
  DeliverInsertNotifications();
  FreeControlCanvasDCs();
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = FilterMessage(msg);
  if (!handled && main_form_ && main_form_->ClientHandle() &&
      TranslateMDISysAccel(main_form_->ClientHandle(), &msg))
    handled = true;
  if (!handled && !IsKeyMsg(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) WaitMessage();
}

std::string ErrorBoxText(const std::string& message) {
  std::string text = message;
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

void TApplication::ShowException(const std::exception& e) {
  std::string text = ErrorBoxText(e.what());
  MessageBoxA(GetActiveWindow(), text.c_str(), Title.c_str(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException(TObject* sender) {
  try {
    throw;
  } catch (const EAbort&) {
    // The silent abort: not reported.
  } catch (const std::exception& e) {
    if (OnException)
      OnException(sender, e);
    else
      ShowException(e);
  } catch (...) {
    ShowException(Exception("Unknown exception"));
  }
}

}  // namespace framework
