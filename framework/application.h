// TApplication: the program's title and icon, its forms (CreateForm; the first form is the
// main form), the message loop (Run, ProcessMessages, HandleMessage) with an application-wide
// message filter, and the reporting of exceptions that escape event handlers (the error box).
// `Application` is the one module-wide instance. UI thread only.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "framework/component.h"

namespace framework {

class TForm;

using TMessageEvent = std::function<void(MSG& msg, bool& handled)>;
using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;

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

  TMessageEvent OnMessage;  // sees every message before it is dispatched
  TExceptionEvent OnException;

  // Called by TForm's destructor.
  void MainFormDestroyed() { main_form_ = nullptr; }
  // Frees every component the application owns, the last created first.
  void DestroyForms();

 private:
  void FormCreated(TComponent* instance);
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);

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
