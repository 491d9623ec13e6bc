// Immunising a scripting component parks its class registration under the parking key, so that
// nothing can create the class any more; cancelling moves it back. The registry is the only
// state: a component is immunised exactly while its class key does not open.
#pragma once

#include <string>
#include <vector>

// Root of the parked class registrations (under HKEY_LOCAL_MACHINE).
extern const char kParkingRoot[];

struct TComponent {
  std::string Label;       // the check box caption; every message is built from it
  std::string ClassKey;    // "\SOFTWARE\Classes\CLSID\{...}" in HKEY_LOCAL_MACHINE
  std::string ParkingKey;  // the same identifier under the parking root
};

// The seven components of the tab, in check box order (CheckBox1..CheckBox7).
const std::vector<TComponent>& StandardComponents();
// A component for a class identifier written with its braces.
TComponent MakeComponent(const std::string& label, const std::string& classId);

// Result texts join one message a line: the first component's message starts the text and every
// later message (of any component, or of another step) is appended after CR LF, even when the
// text is still empty.
void AppendResult(std::string& text, const std::string& message);

// On 64-bit Windows a class is registered in each registry view on its own: every step below is
// taken in each view, with the parking key of that view (for the 32-bit one the 64-bit view names
// it "\SOFTWARE\Classes\Wow6432Node\CLSIDBAK\{...}").

// True when the class key opens with full access in no view (parked or absent).
bool ComponentImmunised(const TComponent& c);

// Moves the class key to its parking key in every view where it is registered. Returns the
// component's message: L + "免疫成功" when the class key opened in some view and was moved in each
// (or a parked copy already existed and nothing moved), L + "免疫失败" when a move could not be
// made (every key is then as it was), otherwise L + "已免疫过了".
std::string ImmuniseComponent(const TComponent& c);
// Moves the parking key back in every view where one is parked: L + "取消免疫成功",
// L + "取消免疫失败" when a move could not be made (every key as it was), or "找不到" + L +
// "备份" when nothing is parked.
std::string RestoreComponent(const TComponent& c);

// Applies ImmuniseComponent / RestoreComponent to the checked components in order and joins the
// messages: component 0's message is assigned, later ones appended (see AppendResult).
std::string ImmuniseComponents(const std::vector<TComponent>& components,
                               const std::vector<bool>& checked);
std::string RestoreComponents(const std::vector<TComponent>& components,
                              const std::vector<bool>& checked);

// Removes the parking root of each view once nothing is parked in it any more: a parking root that
// still holds any key or value (a component that was not restored, or anything else) is left
// whole. Returns true when one was removed and none is left.
bool CleanUpParkingRoot(const std::string& parkingRoot = kParkingRoot);
