// The message dialog: a TMessageForm (window class "TMessageForm") with the kind's icon, the
// word-wrapped text and a centred row of buttons in fixed order, laid out in dialog units of
// the system message font. Enter presses OK, else Yes, else Retry; Esc presses Cancel, else
// No, else OK; closing the window gives mrCancel (2). Ctrl+C copies the dialog as text.
// Used by the program's ShowMessageBox. UI thread only; the caller frees the form.
#pragma once

#include <string>

#include "framework/form.h"

namespace framework {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  kMsgDlgBtnCount
};
using TMsgDlgButtons = unsigned;  // a set of (1 << TMsgDlgBtn)
constexpr TMsgDlgButtons MsgDlgButtons(std::initializer_list<TMsgDlgBtn> list) {
  TMsgDlgButtons set = 0;
  for (TMsgDlgBtn b : list) set |= 1u << b;
  return set;
}

class TLabel;

class TMessageForm : public TForm {
 public:
  DZ_CLASS(TMessageForm, TForm)
  explicit TMessageForm(TComponent* owner);

  // The dialog as plain text: divider, caption, divider, text, divider, button captions
  // (each followed by three blanks, "&" removed), divider; lines end in CR LF.
  std::string FormText();

  TLabel* Message = nullptr;

 private:
  void CustomKeyDown(WORD& key, TShiftState shift);
};

// Builds (does not show) the dialog. Its caption is the kind's ("Warning", "Error",
// "Information", "Confirm"), or the application title for mtCustom.
TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type,
                                  TMsgDlgButtons buttons);

// Shows the dialog modally and returns the result of the button pressed.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// Caption and modal result of each button (captions carry "&" accelerators).
const char* MsgDlgButtonCaption(TMsgDlgBtn button);
int MsgDlgButtonResult(TMsgDlgBtn button);

}  // namespace framework
