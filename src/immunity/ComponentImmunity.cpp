#include "immunity/ComponentImmunity.h"

#include <windows.h>

#include <utility>

#include "system/Registry.h"

const char kParkingRoot[] = "\\SOFTWARE\\Classes\\CLSIDBAK";

namespace {
const char kClassRoot[] = "\\SOFTWARE\\Classes\\CLSID";

// A component's keys are named by their real paths and opened in the 64-bit view, which reaches
// the 32-bit view's keys below Wow6432Node too; on 32-bit Windows there is one view.
bool OpensWithFullAccess(const std::string& path) {
  TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  return reg.OpenKey(path, false);
}

enum class TMove { Absent, Done, Failed };

// Moves `from` to `to` when `from` opens. A target that already exists is left as it is, and so is
// the source: that counts as done. A move that fails changes neither key. `moved` tells whether
// anything was moved.
TMove MoveWhenPresent(const std::string& from, const std::string& to, bool& moved) {
  moved = false;
  TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey(from, false)) return TMove::Absent;
  reg.CloseKey();
  if (reg.KeyExists(to)) return TMove::Done;
  moved = reg.MoveKey(from, to);
  return moved ? TMove::Done : TMove::Failed;
}

// Moves the key in every registry view where it is there, the parking key mirroring the view
// ("...\Classes\Wow6432Node\CLSIDBAK" for the 32-bit one). Done only when every view that holds
// it moved; when one fails, those moved here go back, so the class stays registered as it was in
// every view rather than in some.
TMove MoveInEveryView(const std::string& from, const std::string& to) {
  std::vector<std::pair<std::string, std::string>> moved;
  bool any = false;
  for (TRegView view : MachineViews()) {
    const std::string source = ViewKeyPath(view, from), target = ViewKeyPath(view, to);
    bool didMove = false;
    const TMove r = MoveWhenPresent(source, target, didMove);
    if (r == TMove::Failed) {
      for (const auto& [back, away] : moved) {
        TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.MoveKey(away, back);
      }
      return TMove::Failed;
    }
    if (didMove) moved.emplace_back(source, target);
    any = any || r == TMove::Done;
  }
  return any ? TMove::Done : TMove::Absent;
}

std::string JoinSelected(const std::vector<TComponent>& components,
                         const std::vector<bool>& checked, std::string (*act)(const TComponent&)) {
  std::string text;
  for (size_t i = 0; i < components.size() && i < checked.size(); ++i) {
    if (!checked[i]) continue;
    const std::string message = act(components[i]);
    if (i == 0)
      text = message;
    else
      AppendResult(text, message);
  }
  return text;
}
}  // namespace

TComponent MakeComponent(const std::string& label, const std::string& classId) {
  return {label, std::string(kClassRoot) + "\\" + classId,
          std::string(kParkingRoot) + "\\" + classId};
}

const std::vector<TComponent>& StandardComponents() {
  static const std::vector<TComponent> components = {
      MakeComponent("恶意执行程序组件 WScript.Shell", "{72C24DD5-D70A-438B-8A42-98424B88AFB8}"),
      MakeComponent("木马生成组件 FileSystemObject", "{0D43FE01-F093-11CF-8940-00A0C9054228}"),
      MakeComponent("木马下载组件 XMLHTTP4", "{88d969c5-f192-11d4-a65f-0040963251e5}"),
      MakeComponent("木马下载组件 XMLHTTP5", "{88D969EA-F192-11D4-A65F-0040963251E5}"),
      MakeComponent("木马上传组件 ADOB.Stream", "{00000566-0000-0010-8000-00AA006D2EA4}"),
      MakeComponent("木马执行组件 Shell.Application", "{F935DC22-1CF0-11D0-ADB9-00C04FD58A0B}"),
      MakeComponent("Microsoft MDAC RDS.Dataspace ActiveX组件",
                    "{BD96C556-65A3-11D0-983A-00C04FC29E36}"),
  };
  return components;
}

void AppendResult(std::string& text, const std::string& message) {
  text += "\r\n" + message;
}

bool ComponentImmunised(const TComponent& c) {
  for (TRegView view : MachineViews())
    if (OpensWithFullAccess(ViewKeyPath(view, c.ClassKey))) return false;
  return true;
}

std::string ImmuniseComponent(const TComponent& c) {
  switch (MoveInEveryView(c.ClassKey, c.ParkingKey)) {
    case TMove::Done:
      return c.Label + "免疫成功";
    case TMove::Failed:
      return c.Label + "免疫失败";
    default:
      return c.Label + "已免疫过了";
  }
}

std::string RestoreComponent(const TComponent& c) {
  switch (MoveInEveryView(c.ParkingKey, c.ClassKey)) {
    case TMove::Done:
      return c.Label + "取消免疫成功";
    case TMove::Failed:
      return c.Label + "取消免疫失败";
    default:
      return "找不到" + c.Label + "备份";
  }
}

std::string ImmuniseComponents(const std::vector<TComponent>& components,
                               const std::vector<bool>& checked) {
  return JoinSelected(components, checked, ImmuniseComponent);
}

std::string RestoreComponents(const std::vector<TComponent>& components,
                              const std::vector<bool>& checked) {
  return JoinSelected(components, checked, RestoreComponent);
}

bool CleanUpParkingRoot(const std::string& parkingRoot) {
  bool removed = false, left = false;
  for (TRegView view : MachineViews()) {
    const std::string root = ViewKeyPath(view, parkingRoot);
    TRegistry reg(KEY_ALL_ACCESS, TRegView::Bit64);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!reg.OpenKey(root, false)) continue;
    TRegKeyInfo info;
    if (!reg.GetKeyInfo(info) || info.NumSubKeys != 0 || info.NumValues != 0) {
      left = true;
      continue;
    }
    reg.CloseKey();
    if (reg.DeleteKey(root))
      removed = true;
    else
      left = true;
  }
  return removed && !left;
}
