// TextField objects (the fields of the movie and those createTextField makes): their
// text, HTML text and look as properties of TextField.prototype that read and change
// the field's state, which is laid out again after each change; TextFormat, and the
// formats of runs of text.

#include <cmath>

#include "swf/avm1/builtins.h"
#include "swf/avm1/text_fields.h"
#include "swf/player/clip_control.h"
#include "swf/player/text_field.h"

namespace tavelin::swf::avm1 {
namespace {

using player::TextFieldState;
using player::TextStyle;

enum FieldProperty {
  kText, kHtmlText, kHtml, kVariable, kTextColor, kBackground, kBackgroundColor, kBorder, kBorderColor, kMultiline,
  kWordWrap, kSelectable, kType, kMaxChars, kLength, kAutoSize, kEmbedFonts, kPassword, kTextWidth, kTextHeight,
  kScroll, kMaxScroll, kHScroll, kMaxHScroll, kBottomScroll, kTabIndex, kRestrict, kCondenseWhite, kMouseWheelEnabled,
  kStyleSheet
};

double ColorNumber(const Rgba& c) { return static_cast<double>((c.r << 16) | (c.g << 8) | c.b); }
Rgba NumberColor(Interpreter& vm, const Value& value, std::uint8_t alpha) {
  const std::uint32_t rgb = ToUint32(vm.ToNumber(value));
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb), alpha};
}

const player::TextCharacter* Laid(Interpreter& vm, Object* field) {
  player::ClipAnchor* anchor = vm.AnchorOf(field);
  if (!anchor || !anchor->object) return nullptr;
  const auto* text = std::get_if<std::shared_ptr<const player::TextCharacter>>(&anchor->object->character);
  return text ? text->get() : nullptr;
}

Value GetProperty(Interpreter& vm, Object* field, int property) {
  TextFieldState* state = FieldOf(vm, field);
  if (!state) return Value();
  const format::EditTextDefinition& d = state->definition;
  const player::TextCharacter* laid = Laid(vm, field);
  switch (property) {
    case kText: return Value(vm.Intern(state->Text()));
    case kHtmlText: return Value(vm.Intern(state->HtmlText()));
    case kHtml: return Value(d.html);
    case kVariable: return d.variableName.empty() ? Value::Null() : Value(vm.Intern(d.variableName));
    case kTextColor: return Value(ColorNumber(state->StyleAt(0).color));
    case kBackground: return Value(d.background);
    case kBackgroundColor: return Value(ColorNumber(d.backgroundColor));
    case kBorder: return Value(d.border);
    case kBorderColor: return Value(ColorNumber(d.borderColor));
    case kMultiline: return Value(d.multiline);
    case kWordWrap: return Value(d.wordWrap);
    case kSelectable: return Value(state->selectable);
    case kType: return Value(vm.Intern(state->input ? "input" : "dynamic"));
    case kMaxChars: return d.maxLength ? Value(static_cast<double>(d.maxLength)) : Value::Null();
    case kLength: return Value(static_cast<double>(state->Length()));
    case kAutoSize: {
      static const char* const names[] = {"none", "left", "center", "right"};
      return Value(vm.Intern(names[static_cast<int>(state->autoSize)]));
    }
    case kEmbedFonts: return Value(state->embedFonts);
    case kPassword: return Value(d.password);
    case kTextWidth: return Value(laid ? std::round(laid->textWidth / 20.0) : 0.0);
    case kTextHeight: return Value(laid ? std::round(laid->textHeight / 20.0) : 0.0);
    case kScroll:
    case kMaxScroll:
    case kBottomScroll: return Value(1.0);
    case kHScroll:
    case kMaxHScroll: return Value(0.0);
    case kRestrict: return Value::Null();
    case kCondenseWhite: return Value(false);
    case kMouseWheelEnabled: return Value(true);
    default: return Value();
  }
}

void SetProperty(Interpreter& vm, Object* field, int property, const Value& value) {
  TextFieldState* state = FieldOf(vm, field);
  if (!state) return;
  format::EditTextDefinition& d = state->definition;
  bool textChanged = false;
  switch (property) {
    case kText:
      state->SetText(vm.ToText(value));
      textChanged = true;
      break;
    case kHtmlText:
      state->SetHtmlText(vm.ToText(value));
      textChanged = true;
      break;
    case kHtml: d.html = vm.ToBoolean(value); break;
    case kVariable: d.variableName = value.IsNullish() ? std::string() : vm.ToText(value); break;
    case kTextColor: {
      TextStyle color;
      color.color = NumberColor(vm, value, 255);
      TextFieldState::StyleParts parts;
      parts.color = true;
      state->ApplyStyle(0, state->Length(), color, parts);
      state->newStyle.color = color.color;
      break;
    }
    case kBackground: d.background = vm.ToBoolean(value); break;
    case kBackgroundColor: d.backgroundColor = NumberColor(vm, value, 255); break;
    case kBorder: d.border = vm.ToBoolean(value); break;
    case kBorderColor: d.borderColor = NumberColor(vm, value, 255); break;
    case kMultiline: d.multiline = vm.ToBoolean(value); break;
    case kWordWrap: d.wordWrap = vm.ToBoolean(value); break;
    case kSelectable: state->selectable = vm.ToBoolean(value); break;
    case kType: {
      const std::string type = vm.ToText(value);
      if (type == "input") state->input = true;
      if (type == "dynamic") state->input = false;
      break;
    }
    case kMaxChars: {
      const double n = vm.ToNumber(value);
      d.maxLength = value.IsNullish() || !(n > 0) ? 0 : static_cast<std::uint16_t>(std::min(n, 65535.0));
      break;
    }
    case kAutoSize: {
      const std::string mode = value.IsBoolean() ? (value.boolean ? "left" : "none") : vm.ToText(value);
      if (mode == "none") state->autoSize = player::AutoSize::kNone;
      if (mode == "left") state->autoSize = player::AutoSize::kLeft;
      if (mode == "center") state->autoSize = player::AutoSize::kCenter;
      if (mode == "right") state->autoSize = player::AutoSize::kRight;
      break;
    }
    case kEmbedFonts:
      state->embedFonts = vm.ToBoolean(value);
      d.useOutlines = state->embedFonts;
      break;
    case kPassword: d.password = vm.ToBoolean(value); break;
    default: return;
  }
  if (textChanged) StoreFieldVariable(vm, field, *state);
  ShowField(vm, field);
}

template <int kProperty>
Value Getter(Interpreter& vm, const Value& self, std::span<const Value>) {
  return GetProperty(vm, self.AsObject(), kProperty);
}
template <int kProperty>
Value Setter(Interpreter& vm, const Value& self, std::span<const Value> args) {
  SetProperty(vm, self.AsObject(), kProperty, Arg(args, 0));
  return Value();
}

// ---- TextFormat ----

const char* AlignText(format::TextAlign align) {
  switch (align) {
    case format::TextAlign::kRight: return "right";
    case format::TextAlign::kCenter: return "center";
    case format::TextAlign::kJustify: return "justify";
    default: return "left";
  }
}

// A TextFormat of the characters from `begin` to `end` (null where they differ).
Object* FormatOf(Interpreter& vm, const TextFieldState& state, std::size_t begin, std::size_t end, bool kerning) {
  Object* format = NewTextFormat(vm);
  const TextStyle& first = state.StyleAt(begin);
  bool sameFace = true, sameSize = true, sameColor = true, sameBold = true, sameItalic = true;
  for (std::size_t i = begin + 1; i < end && i < state.Length(); ++i) {
    const TextStyle& s = state.StyleAt(i);
    sameFace = sameFace && s.face == first.face;
    sameSize = sameSize && s.size == first.size;
    sameColor = sameColor && s.color == first.color;
    sameBold = sameBold && s.bold == first.bold;
    sameItalic = sameItalic && s.italic == first.italic;
  }
  const format::EditTextDefinition& d = state.definition;
  if (sameFace) vm.Set(format, vm.Intern("font"), Value(vm.Intern(first.face.empty() ? "Times New Roman" : first.face)));
  if (sameSize) vm.Set(format, vm.Intern("size"), Value(std::round(first.size / 20.0)));
  if (sameColor) vm.Set(format, vm.Intern("color"), Value(ColorNumber(first.color)));
  if (sameBold) vm.Set(format, vm.Intern("bold"), Value(first.bold));
  if (sameItalic) vm.Set(format, vm.Intern("italic"), Value(first.italic));
  vm.Set(format, vm.Intern("underline"), Value(false));
  vm.Set(format, vm.Intern("url"), Value(vm.Names().empty));
  vm.Set(format, vm.Intern("target"), Value(vm.Names().empty));
  vm.Set(format, vm.Intern("align"), Value(vm.Intern(AlignText(d.align))));
  vm.Set(format, vm.Intern("leftMargin"), Value(d.leftMargin / 20.0));
  vm.Set(format, vm.Intern("rightMargin"), Value(d.rightMargin / 20.0));
  vm.Set(format, vm.Intern("indent"), Value(d.indent / 20.0));
  vm.Set(format, vm.Intern("leading"), Value(d.leading / 20.0));
  vm.Set(format, vm.Intern("blockIndent"), Value(0.0));
  vm.Set(format, vm.Intern("bullet"), Value(false));
  vm.Set(format, vm.Intern("kerning"), Value(kerning));
  vm.Set(format, vm.Intern("letterSpacing"), Value(0.0));
  vm.Set(format, vm.Intern("tabStops"), Value(vm.NewArray()));
  return format;
}

// Reads a TextFormat's set values into a style and the parts it names; alignment and
// margins go to the field as a whole.
void ReadFormat(Interpreter& vm, Object* format, TextFieldState& state, TextStyle& style,
                TextFieldState::StyleParts& parts) {
  const auto get = [&](const char* name) { return vm.Get(format, vm.Intern(name)); };
  if (const Value font = get("font"); !font.IsNullish()) {
    style.face = vm.ToText(font);
    parts.face = true;
  }
  if (const Value size = get("size"); !size.IsNullish() && std::isfinite(vm.ToNumber(size))) {
    style.size = std::clamp(std::round(vm.ToNumber(size)), 1.0, 1000.0) * 20.0;
    parts.size = true;
  }
  if (const Value color = get("color"); !color.IsNullish()) {
    style.color = NumberColor(vm, color, 255);
    parts.color = true;
  }
  if (const Value bold = get("bold"); !bold.IsNullish()) {
    style.bold = vm.ToBoolean(bold);
    parts.bold = true;
  }
  if (const Value italic = get("italic"); !italic.IsNullish()) {
    style.italic = vm.ToBoolean(italic);
    parts.italic = true;
  }
  format::EditTextDefinition& d = state.definition;
  if (const Value align = get("align"); !align.IsNullish()) {
    const std::string text = vm.ToText(align);
    if (text == "left") d.align = format::TextAlign::kLeft;
    if (text == "right") d.align = format::TextAlign::kRight;
    if (text == "center") d.align = format::TextAlign::kCenter;
    if (text == "justify") d.align = format::TextAlign::kJustify;
  }
  const auto twips = [&](const char* name, auto& into) {
    const Value v = get(name);
    const double n = vm.ToNumber(v);
    if (!v.IsNullish() && std::isfinite(n)) into = static_cast<std::remove_reference_t<decltype(into)>>(std::clamp(n, 0.0, 1000.0) * 20);
  };
  twips("leftMargin", d.leftMargin);
  twips("rightMargin", d.rightMargin);
  twips("indent", d.indent);
  twips("leading", d.leading);
}

// The range (begin, end) that getTextFormat and setTextFormat take before a format.
void Range(Interpreter& vm, std::span<const Value> args, std::size_t length, std::size_t& begin, std::size_t& end) {
  begin = 0;
  end = length;
  const auto index = [&](const Value& v) {
    const double n = vm.ToNumber(v);
    return std::isfinite(n) && n > 0 ? std::min(static_cast<std::size_t>(n), length) : std::size_t{0};
  };
  if (args.size() >= 1 && !args[0].IsObject()) {
    begin = index(args[0]);
    end = std::min(begin + 1, length);
  }
  if (args.size() >= 2 && !args[1].IsObject()) end = index(args[1]);
  if (end < begin) std::swap(begin, end);
}

Value GetTextFormat(Interpreter& vm, const Value& self, std::span<const Value> args) {
  TextFieldState* state = FieldOf(vm, self.AsObject());
  if (!state) return Value();
  std::size_t begin, end;
  Range(vm, args, state->Length(), begin, end);
  // Fields of the movie report kerning; fields made by scripts do not.
  return Value(FormatOf(vm, *state, begin, end, state->definition.id != 0));
}

Value SetTextFormat(Interpreter& vm, const Value& self, std::span<const Value> args) {
  TextFieldState* state = FieldOf(vm, self.AsObject());
  if (!state || args.empty()) return Value();
  Object* format = args.back().AsObject();
  if (!format) return Value();
  std::size_t begin, end;
  Range(vm, args.first(args.size() - 1), state->Length(), begin, end);
  TextStyle style;
  TextFieldState::StyleParts parts;
  ReadFormat(vm, format, *state, style, parts);
  state->ApplyStyle(begin, end, style, parts);
  ShowField(vm, self.AsObject());
  return Value();
}

Value GetNewTextFormat(Interpreter& vm, const Value& self, std::span<const Value>) {
  TextFieldState* state = FieldOf(vm, self.AsObject());
  if (!state) return Value();
  TextFieldState empty = *state;
  empty.content = {};
  return Value(FormatOf(vm, empty, 0, 0, false));
}

Value SetNewTextFormat(Interpreter& vm, const Value& self, std::span<const Value> args) {
  TextFieldState* state = FieldOf(vm, self.AsObject());
  Object* format = Arg(args, 0).AsObject();
  if (!state || !format) return Value();
  TextFieldState::StyleParts parts;
  ReadFormat(vm, format, *state, state->newStyle, parts);
  ShowField(vm, self.AsObject());
  return Value();
}

Value ReplaceSel(Interpreter& vm, const Value& self, std::span<const Value> args) {
  TextFieldState* state = FieldOf(vm, self.AsObject());
  if (!state) return Value();
  if (state->Insert(player::Utf8ToCodePoints(vm.ToText(Arg(args, 0))))) {
    StoreFieldVariable(vm, self.AsObject(), *state);
    ShowField(vm, self.AsObject());
  }
  return Value();
}

Value ReplaceText(Interpreter& vm, const Value& self, std::span<const Value> args) {
  TextFieldState* state = FieldOf(vm, self.AsObject());
  if (!state || args.size() < 3) return Value();
  std::size_t begin, end;
  Range(vm, args.first(2), state->Length(), begin, end);
  state->Erase(begin, end);
  state->Insert(player::Utf8ToCodePoints(vm.ToText(args[2])));
  StoreFieldVariable(vm, self.AsObject(), *state);
  ShowField(vm, self.AsObject());
  return Value();
}

Value CreateTextField(Interpreter& vm, const Value& self, std::span<const Value> args) {
  player::ClipAnchor* parent = vm.AnchorOf(self.AsObject());
  if (!parent || !vm.Clips() || args.size() < 6) return Value();
  double n[5];
  for (int i = 0; i < 5; ++i) {
    n[i] = vm.ToNumber(args[static_cast<std::size_t>(i) + 1]);
    if (!std::isfinite(n[i])) n[i] = 0;
    n[i] = std::clamp(n[i], -1e6, 1e6);
  }
  const Rect bounds{0, static_cast<std::int32_t>(std::max(n[3], 0.0) * 20), 0, static_cast<std::int32_t>(std::max(n[4], 0.0) * 20)};
  player::ClipAnchor* field = vm.Clips()->CreateTextField(*parent, vm.ToText(args[0]), static_cast<int>(n[0]), bounds);
  if (!field || !field->object) return Value();
  field->object->matrix.tx = n[1] * 20;
  field->object->matrix.ty = n[2] * 20;
  Object* object = vm.ClipFor(*field);
  return vm.Version() >= 8 ? Value(object) : Value();
}

}  // namespace

// The variable a field is bound to, set to the field's text.
void StoreFieldVariable(Interpreter& vm, Object* field, const TextFieldState& state) {
  const std::string& variable = state.definition.variableName;
  player::ClipAnchor* anchor = vm.AnchorOf(field);
  if (variable.empty() || !anchor) return;
  Object* holder = anchor->parent ? vm.ClipFor(*anchor->parent) : vm.RootClip();
  std::string name = variable;
  const std::size_t split = variable.find_last_of(".:");
  if (split != std::string::npos) {
    holder = vm.ResolveTarget(holder, variable.substr(0, split));
    name = variable.substr(split + 1);
  }
  if (holder) vm.Set(holder, vm.Intern(name), Value(vm.Intern(state.definition.html ? state.HtmlText() : state.Text())));
}

bool ResizeField(Interpreter& vm, Object* field, bool width, double pixels) {
  TextFieldState* state = FieldOf(vm, field);
  player::ClipAnchor* anchor = vm.AnchorOf(field);
  if (!state || !anchor || !anchor->object) return false;
  const Matrix& m = anchor->object->matrix;
  if (m.b != 0 || m.c != 0) return false;
  const double scale = std::fabs(width ? m.a : m.d);
  if (scale < 1e-9 || !(pixels >= 0)) return false;
  Rect& b = state->definition.bounds;
  const double size = std::min(pixels * 20 / scale, 2e7);
  if (width) {
    b.xMax = b.xMin + static_cast<std::int32_t>(std::lround(size));
  } else {
    b.yMax = b.yMin + static_cast<std::int32_t>(std::lround(size));
  }
  vm.Clips()->ShowField(*anchor);
  return true;
}

player::TextFieldState* FieldOf(Interpreter& vm, Object* object) {
  player::ClipAnchor* anchor = vm.AnchorOf(object);
  return anchor && vm.Clips() ? vm.Clips()->Field(*anchor) : nullptr;
}

void ShowField(Interpreter& vm, Object* field) {
  player::ClipAnchor* anchor = vm.AnchorOf(field);
  if (anchor && vm.Clips()) vm.Clips()->ShowField(*anchor);
}

void InstallTextField(Interpreter& vm) {
  Object* p = vm.textFieldProto;
  // Listed newest first by for-in, so defined from the last to the first.
  for (const char* name : {"gridFitType", "antiAliasType", "thickness", "sharpness", "filters"}) {
    vm.DefineValue(p, name, Value(), 0);
  }
  const std::pair<const char*, std::pair<NativeFunction, NativeFunction>> properties[] = {
      {"scroll", {Getter<kScroll>, Setter<kScroll>}},
      {"maxscroll", {Getter<kMaxScroll>, Setter<kMaxScroll>}},
      {"borderColor", {Getter<kBorderColor>, Setter<kBorderColor>}},
      {"backgroundColor", {Getter<kBackgroundColor>, Setter<kBackgroundColor>}},
      {"textColor", {Getter<kTextColor>, Setter<kTextColor>}},
      {"tabIndex", {Getter<kTabIndex>, Setter<kTabIndex>}},
      {"autoSize", {Getter<kAutoSize>, Setter<kAutoSize>}},
      {"text", {Getter<kText>, Setter<kText>}},
      {"type", {Getter<kType>, Setter<kType>}},
      {"htmlText", {Getter<kHtmlText>, Setter<kHtmlText>}},
      {"variable", {Getter<kVariable>, Setter<kVariable>}},
      {"hscroll", {Getter<kHScroll>, Setter<kHScroll>}},
      {"maxhscroll", {Getter<kMaxHScroll>, Setter<kMaxHScroll>}},
      {"maxChars", {Getter<kMaxChars>, Setter<kMaxChars>}},
      {"embedFonts", {Getter<kEmbedFonts>, Setter<kEmbedFonts>}},
      {"html", {Getter<kHtml>, Setter<kHtml>}},
      {"border", {Getter<kBorder>, Setter<kBorder>}},
      {"background", {Getter<kBackground>, Setter<kBackground>}},
      {"wordWrap", {Getter<kWordWrap>, Setter<kWordWrap>}},
      {"password", {Getter<kPassword>, Setter<kPassword>}},
      {"multiline", {Getter<kMultiline>, Setter<kMultiline>}},
      {"selectable", {Getter<kSelectable>, Setter<kSelectable>}},
      {"length", {Getter<kLength>, Setter<kLength>}},
      {"bottomScroll", {Getter<kBottomScroll>, Setter<kBottomScroll>}},
      {"textWidth", {Getter<kTextWidth>, Setter<kTextWidth>}},
      {"textHeight", {Getter<kTextHeight>, Setter<kTextHeight>}},
      {"restrict", {Getter<kRestrict>, Setter<kRestrict>}},
      {"condenseWhite", {Getter<kCondenseWhite>, Setter<kCondenseWhite>}},
      {"mouseWheelEnabled", {Getter<kMouseWheelEnabled>, Setter<kMouseWheelEnabled>}},
      {"styleSheet", {Getter<kStyleSheet>, Setter<kStyleSheet>}},
  };
  for (const auto& [name, accessors] : properties) {
    String* key = vm.Name(name);
    Property& property = p->Put(vm.Key(key), key, Value(), 0);
    property.getter = vm.NewNative(accessors.first);
    property.setter = vm.NewNative(accessors.second);
  }
  const std::pair<const char*, NativeFunction> methods[] = {
      {"replaceSel", ReplaceSel},           {"getTextFormat", GetTextFormat},       {"setTextFormat", SetTextFormat},
      {"getNewTextFormat", GetNewTextFormat}, {"setNewTextFormat", SetNewTextFormat}, {"replaceText", ReplaceText}};
  for (const auto& [name, fn] : methods) vm.DefineNative(p, name, fn);
  InstallTextFormat(vm);

  vm.DefineNative(vm.clipProto, "createTextField", CreateTextField);
  InstallSelection(vm);
}

}  // namespace tavelin::swf::avm1
