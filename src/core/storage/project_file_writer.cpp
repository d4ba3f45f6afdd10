// Writing the project file. The text is built whole in memory, then written to a temporary file
// beside the target that replaces the old file only after every byte reached the disk, so a full
// disk or a lost permission leaves the previous project as it was.

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "ui/user_interface.h"
#include "storage/atomic_file.h"
#include "storage/project_file.h"
#include "storage/project_file_format.h"
#include "text/cp1252.h"
#include "text/text_util.h"

namespace kelvaro {
namespace projectfile {
namespace {

class Writer {
 public:
  explicit Writer(std::string& out) : m_out(out) {}

  // file -> @Init @Typs @TypState @ConstList objects [@Controller] @GrpList @E
  void project(const Project& p) {
    line("@Init");
    for (const ViewEntry& v : p.views) view(v);
    key("BackColor", p.BackColor);
    if (p.ExeWinStat != 0) {
      key("ExeWinStat", p.ExeWinStat);
    } else if (p.ExeWinPos.width != 0) {
      keyStart("ExeWinPos");
      const WindowPosition& w = p.ExeWinPos;
      appendGroup(m_out, {w.left, w.top, w.width, w.height});
      end();
    }
    if (p.Extern) key("Extern", 1);

    line("@Typs");
    for (const std::string& t : p.types) entry(t);

    line("@TypState");
    for (const TypeStateEntry& s : p.typeStates) {
      m_out += ' ';
      if (s.bitmap && !s.bitmap->BitmapName.empty()) {
        padded(s.entry, kTypeStateColumn);
        text(s.bitmap->BitmapName);
      } else {
        text(s.entry);
      }
      end();
    }

    line("@ConstList");
    for (const std::string& c : p.constants) entry(c);

    for (const TPSObj& o : p.objects) object(o);

    if (!p.stations.empty()) {
      line("@Controller");
      for (const TPSContr& s : p.stations) {
        station(s);
        line("@ContrNext");
      }
      line("@C");
    }

    line("@GrpList");
    for (const std::string& g : p.groupDefs) entry(g);
    line("@E");
  }

 private:
  void view(const ViewEntry& v) {
    keyStart("View");
    if (v.info.BitmapName.empty()) {
      text(v.name);
    } else {
      padded(v.name, kViewNameColumn);
      text(v.info.BitmapName);
    }
    end();
  }

  // object -> "@Object=" name, key lines, [@ExtTransList], @Plan, @ContObj, @C
  void object(const TPSObj& o) {
    m_out += "@Object=";
    text(o.Name);
    end();
    key("OName", o.OName);
    key("OKind", std::string_view(&o.OKind, 1));
    key("VoiceContr", o.VoiceContr);
    key("ObjIDNr", o.ObjIDNr);
    if (!trimRight(o.Group).empty()) key("Group", o.Group);
    key("SndDev", o.SndDev);
    key("RcvDev", o.RcvDev);
    for (const FlagKey& f : kObjectFlags) {
      const bool on = o.*f.field;
      if (on && f.rule != FlagRule::WrittenAsZero) key(f.key, 1);
      if (!on && f.rule != FlagRule::WrittenAsOne) key(f.key, 0);
    }
    address(o.Snd, "SndLineNo", "SndAdrA", {"SndAdr", "SndAdr2", "SndAdr3", "SndAdr4"});
    address(o.Rcv, "RcvLineNo", "RcvAdrA", {"RcvAdr", "RcvAdr2", "RcvAdr3", "RcvAdr4"});
    key("Extern", o.Extern);
    key("Typ", o.Typ);
    key("StartVal", o.StartVal);
    for (const StateBitmapEntry& b : o.stateBitmaps) {
      // Copies of the type's bitmaps come back from the type; only the object's own choice is kept.
      if (!b.bitmap || b.bitmap->ObjectOwn != 1) continue;
      keyStart("+ZBM");
      padded(b.state, kStateBitmapColumn);
      text(b.bitmap->BitmapName);
      end();
    }
    for (const NumberKey& n : kObjectNumbers) {
      const std::int32_t value = o.*n.field;
      if (written(n.when, value)) key(n.key, value);
    }
    key("ACode", o.ACode);
    for (const std::string& statement : o.program) {
      // The marker "-" (or the first character of "-&") is not stored; the reader puts "-" back.
      keyStart("*Pgm");
      text(std::string_view(statement).substr(statement.empty() ? 0 : 1));
      end();
    }
    for (const std::string& v : o.varDefs) key("*VarDef", v);

    if (o.ExtTrans) {
      line("@ExtTransList");
      for (const std::string& e : o.ExtTransList) entry(e);
    }
    line("@Plan");
    for (const TPlan& plan : o.plans) {
      if (plan.ViewName.empty()) continue;
      m_out += ' ';
      text(plan.ViewName);
      m_out += ';';
      appendGroup(m_out, {plan.Left, plan.Top, plan.Width, plan.Height});
      end();
    }
    line("@ContObj");
    line("@C");
  }

  void address(const ObjectAddress& a, std::string_view lineKey, std::string_view countKey,
               const std::array<std::string_view, 4>& byteKeys) {
    if (a.LineNo <= 0) return;
    key(lineKey, a.LineNo);
    key(countKey, a.AdrA);
    key(byteKeys[0], a.Adr[0]);
    for (std::size_t i = 1; i < byteKeys.size(); ++i)
      if (a.AdrA > static_cast<std::int32_t>(i)) key(byteKeys[i], a.Adr[i]);
  }

  // station -> CName ... device slots; the caller closes it with @ContrNext
  void station(const TPSContr& s) {
    key("CName", s.CName);
    key("CKind", s.CKind);
    key("CKindi", s.CKindi);
    key("CMPKind", s.CMPKind);
    key("CLine", s.CLine);
    if (s.CPArt != 0) key("CPArt", s.CPArt);
    if (s.CPAdrTyp != 0) key("CPAdrTyp", s.CPAdrTyp);
    if (s.CPDevAnz > 0) key("CPDevAnz", s.CPDevAnz);
    if (s.CPLeitg != 0) key("CPLeitg", s.CPLeitg);
    if (s.CPAdrA > 1) key("CPAdrA", s.CPAdrA);
    key("CPAdr", s.CPAdr[0]);
    if (s.CPAdrA > 1) key("CPAdr2", s.CPAdr[1]);
    if (s.CPAdrA > 2) key("CPAdr3", s.CPAdr[2]);
    if (s.CPAdrA > 3) key("CPAdr4", s.CPAdr[3]);
    for (std::size_t k = 0; k < s.slots.size(); ++k) {
      const char digit = static_cast<char>('1' + k);
      for (const SlotKey& sk : kSlotKeys) slotField(s.slots[k], digit, sk);
    }
  }

  void slotField(const DeviceSlot& d, char digit, const SlotKey& sk) {
    switch (sk.field) {
      case SlotField::CDevArt: return slotNumber(sk.key, digit, d.CDevArt);
      case SlotField::CAdr: return slotNumber(sk.key, digit, d.adr[0]);
      case SlotField::CCon: return slotNumber(sk.key, digit, d.CCon);
      case SlotField::CFkt: return slotNumber(sk.key, digit, d.CFkt);
      case SlotField::CZAnOn: return slotNumber(sk.key, digit, d.CZAnOn);
      case SlotField::CEIntW1: return slotNumber(sk.key, digit, d.CEIntW1);
      case SlotField::CEIntW2: return slotNumber(sk.key, digit, d.CEIntW2);
      case SlotField::CNam:
        if (d.CNam.empty()) return;
        keyStart(sk.key);
        m_out += digit;
        text(d.CNam);
        end();
        return;
      case SlotField::COfflB:
        if (!offlineBehaviourWritten(d.COfflB)) return;
        keyStart(sk.key);
        m_out += digit;
        m_out += d.COfflB;
        end();
        return;
    }
  }

  // The slot digit, then the number right-aligned in three characters ("1" + " 12").
  void slotNumber(std::string_view k, char digit, std::int32_t value) {
    if (value == 0) return;
    keyStart(k);
    m_out += digit;
    char digits[16];
    const auto [ptr, ec] = std::to_chars(digits, digits + sizeof digits, value);
    const auto length = static_cast<std::size_t>(ptr - digits);
    if (length < 3) m_out.append(3 - length, ' ');
    m_out.append(digits, length);
    end();
  }

  static bool written(WrittenWhen when, std::int32_t value) {
    switch (when) {
      case WrittenWhen::Always: return true;
      case WrittenWhen::NotZero: return value != 0;
      case WrittenWhen::Positive: return value > 0;
      case WrittenWhen::NotMinusOne: return value > -1;
    }
    return true;
  }

  void keyStart(std::string_view k) {
    m_out += ' ';
    m_out += k;
    m_out += '=';
  }
  void key(std::string_view k, std::string_view value) {
    keyStart(k);
    text(value);
    end();
  }
  void key(std::string_view k, const std::string& value) { key(k, std::string_view(value)); }
  void key(std::string_view k, std::int32_t value) {
    keyStart(k);
    char digits[16];
    const auto [ptr, ec] = std::to_chars(digits, digits + sizeof digits, value);
    m_out.append(digits, ptr);
    end();
  }
  void entry(std::string_view value) {
    m_out += ' ';
    text(value);
    end();
  }
  void line(std::string_view header) {
    m_out += header;
    end();
  }
  void padded(std::string_view name, std::size_t column) {
    const std::size_t at = m_out.size();
    appendPadded(m_out, name, column);
    clean(at);
  }
  // A text of the model. A line break inside it would end the line early and let the rest
  // be read as a line of its own, even as a header; it is written as a blank instead.
  void text(std::string_view value) {
    const std::size_t at = m_out.size();
    m_out += value;
    clean(at);
  }
  void clean(std::size_t from) {
    for (std::size_t i = from; i < m_out.size(); ++i)
      if (m_out[i] == '\r' || m_out[i] == '\n') m_out[i] = ' ';
  }
  void end() { m_out += "\r\n"; }

  std::string& m_out;
};

}  // namespace
}  // namespace projectfile

std::string projectFileText(const Project& project) {
  std::string out;
  // About 40 characters per line and 50 lines per object, plus the program lines.
  std::size_t estimate = 4096 + 64 * (project.views.size() + project.types.size() + project.typeStates.size() +
                                      project.constants.size() + project.groupDefs.size()) +
                         1024 * project.stations.size();
  for (const TPSObj& o : project.objects) estimate += 2048 + 64 * (o.program.size() + o.varDefs.size());
  out.reserve(estimate);
  projectfile::Writer(out).project(project);
  return out;
}


std::optional<std::string> writeProject(Project& project, std::string_view fileName, std::string_view projectDir,
                                        UserInterface& ui) {
  if (fileName.empty()) {
    showError(ui, fromUtf8("Ungültiger Name"));
    return std::nullopt;
  }
  std::string path(fileName);
  if (noPathFlag(fileName) == 1 && !projectDir.empty()) {
    path = projectDir;
    if (path.back() != '/' && path.back() != '\\') path += '/';
    path += fileName;
  }

  if (!replaceFile(path, projectFileText(project))) {
    showError(ui, "Datei " + std::string(fileName) + " konnte nicht gespeichert werden");
    return std::nullopt;
  }
  // Only a save that reached the disk makes the project unmodified; after a failure the
  // changes are still only in memory and closing must still ask about them.
  project.modified = false;
  return path;
}

}  // namespace kelvaro
