// TApplication: the program's title and icon, its forms (CreateForm; the first form is the
// main form), the message loop (Run, ProcessMessages, HandleMessage) with application-wide
// message filters, and the reporting of exceptions that escape event handlers (the error box).
// `Application` is the one module-wide instance. UI thread only.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"

namespace framework {

class TForm;

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;

// A message filter sees each message the loop takes from the queue, before it is translated
// and dispatched; returning true marks it handled (nobody else sees it).
using TMessageFilter = std::function<bool(MSG& msg)>;

// Keeps one message filter installed; the filter is removed when this is destroyed or
// Remove()d, also from inside the filter itself (the running call finishes first).
class TMessageFilterRegistration {
 public:
  struct Entry;
  TMessageFilterRegistration() = default;
  explicit TMessageFilterRegistration(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
  TMessageFilterRegistration(TMessageFilterRegistration&& other) noexcept = default;
  TMessageFilterRegistration& operator=(TMessageFilterRegistration&& other) noexcept;
  ~TMessageFilterRegistration() { Remove(); }

  void Remove();
  bool Active() const { return entry_ != nullptr; }

 private:
  std::shared_ptr<Entry> entry_;
};

class TApplication : public TComponent {
 public:
  DZ_CLASS(TApplication, TComponent)
  TApplication();

  void Initialize();
  std::string Title;  // the error box's caption; the executable's name until set

  // Creates a form or data module owned by the application; the first form becomes the main
  // form. T is constructed with the application as owner.
  template <class T>
  void CreateForm(T*& reference) {
    reference = new T(this);
    FormCreated(reference);
  }
  TForm* MainForm() const { return main_form_; }

  // Shows the main form and handles messages until Terminate; then frees the application's
  // components, the last created first (boxes they show then work as at any other time).
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message waiting now, then returns.
  void ProcessMessages();
  // Handles one message, waiting for one when none is there.
  void HandleMessage();

  bool Active() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon) { icon_ = icon; }  // not owned

  // Reports the exception being handled (call from a catch block): the silent abort is
  // ignored; OnException gets the others when set, the error box otherwise.
  void HandleException(TObject* sender);
  // The error box: the message (with "." appended by the rule of ErrorBoxText) in a system
  // message box with the title as caption, the stop icon and OK, owned by the active window.
  void ShowException(const std::exception& e);

  // Installs a filter, called after the filters added before it; it stays installed while the
  // returned registration lives.
  [[nodiscard]] TMessageFilterRegistration AddMessageFilter(TMessageFilter filter);
  TExceptionEvent OnException;

  // Called by TForm's destructor.
  void MainFormDestroyed() { main_form_ = nullptr; }
  // Frees every component the application owns, the last created first.
  void DestroyForms();

 private:
  void FormCreated(TComponent* instance);
  bool ProcessMessage(MSG& msg);
  bool FilterMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);

  friend class TMessageFilterRegistration;
  std::vector<std::shared_ptr<TMessageFilterRegistration::Entry>> filters_;

  TForm* main_form_ = nullptr;
  bool terminated_ = false;
  bool active_ = false;
  HICON icon_ = nullptr;
};

extern TApplication* Application;

// The error box's text: `message`, followed by "." when it is not empty and its last byte
// sorts after "." (unsigned byte order).
std::string ErrorBoxText(const std::string& message);

}  // namespace framework
