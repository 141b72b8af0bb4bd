#include "component/ui/parameters/characteristic_editor.h"

#include <vector>

#include "component/interfaces/private.h"
#include "platform/com/error.h"
#include "platform/runtime/context.h"
#include "platform/runtime/dictionary.h"
#include "platform/runtime/parameters.h"

namespace dtm {
namespace {

constexpr float kLowest = 0.0F;
constexpr float kHighest = 100.0F;

std::string TextOf(const com::Variant& value) { return value.IsEmpty() ? std::string() : value.ToString(); }

// The caption and the tool tip of a language key.
std::string EditorText(runtime::DTMContext& context, const std::string& key) {
  return TextOf(context.Dictionary().GetValue("keys", key, "text"));
}
std::string EditorTip(runtime::DTMContext& context, const std::string& key) {
  return TextOf(context.Dictionary().GetValue("keys", key, "tooltip"));
}

// A stored point value as a number; a value that is none (a data set may
// hold anything) draws and edits as 0.
double NumberOf(const com::Variant& value) {
  try {
    return value.IsNumeric() ? value.ToDouble() : 0.0;
  } catch (const com::ComError&) {
    return 0.0;
  }
}

com::Variant StoredValue(runtime::DTMContext& context, const std::string& path) {
  return context.Parameters().Item(path)->IPrivateDataElement_TransientValue();
}

}  // namespace

std::string GetPointPathX(std::int32_t point) {
  if (point < 0 || point > 10) return "";
  if (point <= 2) return "SC128Tr4/Par" + std::to_string(point + 2);
  if (point <= 6) return "SC128Tr5/Par" + std::to_string(point - 2);
  return "SC128Tr6/Par" + std::to_string(point - 6);
}

std::string GetPointPathY(std::int32_t point) {
  if (point < 0 || point > 10) return "";
  if (point <= 3) return "SC128Tr7/Par" + std::to_string(point + 1);
  if (point <= 7) return "SC128Tr8/Par" + std::to_string(point - 3);
  return "SC128Tr9/Par" + std::to_string(point - 7);
}

CharacteristicEditor::CharacteristicEditor(Controls controls,
                                           std::function<runtime::DTMContext*()> context)
    : controls_(std::move(controls)), context_(std::move(context)) {}

void CharacteristicEditor::Reset() {
  m_CurrentPoint = kNoPoint;
  m_RequestedPoint = kNoPoint;
}

// ---- Steps --------------------------------------------------------------------------------

void CharacteristicEditor::cmdNext_Click() {
  // From no point to point 0, on through 10, and from 10 back to none.
  m_RequestedPoint = static_cast<std::int16_t>((m_CurrentPoint + 2) % 12 - 1);
  if (!CheckPoint()) return;
  ShowPoint();
  m_CurrentPoint = m_RequestedPoint;
  DrawCharacteristic();
}

void CharacteristicEditor::cmdPrev_Click() {
  m_RequestedPoint = static_cast<std::int16_t>(m_CurrentPoint - 1);
  // Going back needs only valid numbers: a point out of order may be left
  // to mend its neighbour.
  bool entries_valid = false;
  CheckPoint(&entries_valid);
  if (!entries_valid) return;
  ShowPoint();
  m_CurrentPoint = m_RequestedPoint;
  DrawCharacteristic();
}

void CharacteristicEditor::txtParX_GotFocus() {
  runtime::DTMContext* context = context_();
  if (!context) return;
  controls_.txtParX->SetForeColor(kCorrectColor);
  controls_.txtParX->SetToolTipText(EditorTip(*context, "ctlOfflineParams_txtParX_OK"));
}

void CharacteristicEditor::txtParY_GotFocus() {
  runtime::DTMContext* context = context_();
  if (!context) return;
  controls_.txtParY->SetForeColor(kCorrectColor);
  controls_.txtParY->SetToolTipText(EditorTip(*context, "ctlOfflineParams_txtParY_OK"));
}

// ---- The check ------------------------------------------------------------------------------

CharacteristicEditor::Entry CharacteristicEditor::CheckEntry(runtime::DTMContext& context,
                                                             const forms::TextBox& box,
                                                             float& value) const {
  try {
    value = com::Variant(box.Text()).ToSingle(context.Locale());
  } catch (const com::ComError&) {
    return Entry::kWrongType;
  }
  return value >= kLowest && value <= kHighest ? Entry::kCorrect : Entry::kOutOfRange;
}

void CharacteristicEditor::MarkError(forms::TextBox& box, const std::string& tooltip) {
  box.SetForeColor(kErrorColor);
  box.SetToolTipText(tooltip);
}

void CharacteristicEditor::MarkCorrect(runtime::DTMContext& context) const {
  controls_.txtParX->SetForeColor(kCorrectColor);
  controls_.txtParX->SetToolTipText(EditorTip(context, "ctlOfflineParams_txtParX_OK"));
  controls_.txtParY->SetForeColor(kCorrectColor);
  controls_.txtParY->SetToolTipText(EditorTip(context, "ctlOfflineParams_txtParY_OK"));
}

bool CharacteristicEditor::CheckPoint(bool* entries_valid) {
  runtime::DTMContext* context = context_();
  if (!context) return false;
  if (m_CurrentPoint < 0) return true;

  // Both entries are tested, so both can be marked at once. A correct
  // entry keeps whatever mark it has until the check passes as a whole.
  float x = 0;
  float y = 0;
  const Entry x_entry = CheckEntry(*context, *controls_.txtParX, x);
  if (x_entry == Entry::kWrongType) {
    MarkError(*controls_.txtParX, EditorTip(*context, "ctlOfflineParams_txtParX_ErrType"));
  } else if (x_entry == Entry::kOutOfRange) {
    MarkError(*controls_.txtParX, EditorTip(*context, "ctlOfflineParams_txtParX_ErrRng"));
  }
  const Entry y_entry = CheckEntry(*context, *controls_.txtParY, y);
  if (y_entry == Entry::kWrongType) {
    MarkError(*controls_.txtParY, EditorTip(*context, "ctlOfflineParams_txtParY_ErrType"));
  } else if (y_entry == Entry::kOutOfRange) {
    MarkError(*controls_.txtParY, EditorTip(*context, "ctlOfflineParams_txtParY_ErrRng"));
  }
  if (x_entry != Entry::kCorrect || y_entry != Entry::kCorrect) return false;
  if (entries_valid) *entries_valid = true;

  const auto current = static_cast<std::size_t>(m_CurrentPoint);
  m_PointX[current] = x;
  m_PointY[current] = y;
  // The x values rise from point to point; an equal x is allowed. The
  // entries stay stored, so going back to mend the neighbour keeps them.
  if (current >= 1 && x < m_PointX[current - 1]) {
    MarkError(*controls_.txtParX, EditorTip(*context, "ctlOfflineParams_txtParX_ErrAsc"));
    return false;
  }
  if (m_CurrentPoint == kPoints - 1) WritePoints(*context);
  MarkCorrect(*context);
  return true;
}

void CharacteristicEditor::WritePoints(runtime::DTMContext& context) {
  // Each write stands alone: one element that cannot be had costs only its
  // own value and notice.
  auto write = [&context](const std::string& path, float value) {
    try {
      const DataElementPtr element = context.Parameters().Item(path);
      element->IPrivateDataElement_TransientValue(com::Variant(value));
      context.Parameters().NotifyChanged(element, "");
    } catch (const com::ComError&) {
    }
  };
  for (std::int16_t n = 0; n < kPoints; ++n) {
    write(GetPointPathX(n), m_PointX[static_cast<std::size_t>(n)]);
    write(GetPointPathY(n), m_PointY[static_cast<std::size_t>(n)]);
  }
}

// ---- Showing --------------------------------------------------------------------------------

void CharacteristicEditor::ShowPoint() {
  runtime::DTMContext* context = context_();
  if (!context) return;
  forms::CommandButton& next = *controls_.cmdNext;
  if (m_RequestedPoint == kNoPoint) {
    next.SetCaption(EditorText(*context, "ctlOfflineParams_cmdNext_Set"));
    next.SetToolTipText(EditorTip(*context, "ctlOfflineParams_cmdNext_Set"));
  } else if (m_RequestedPoint >= 0 && m_RequestedPoint < kPoints - 1) {
    next.SetCaption(EditorText(*context, "ctlOfflineParams_cmdNext_Next"));
    next.SetToolTipText(EditorTip(*context, "ctlOfflineParams_cmdNext_Next"));
  } else if (m_RequestedPoint == kPoints - 1) {
    next.SetCaption(EditorText(*context, "ctlOfflineParams_cmdNext_Ready"));
    next.SetToolTipText(EditorTip(*context, "ctlOfflineParams_cmdNext_Ready"));
  }

  const com::Locale& locale = context->Locale();
  if (m_RequestedPoint >= 0) {
    std::size_t shown = static_cast<std::size_t>(m_RequestedPoint);
    if (m_CurrentPoint < 0) {
      // Editing starts: the working copy comes from the data set.
      for (std::int16_t n = 0; n < kPoints; ++n) {
        const auto at = static_cast<std::size_t>(n);
        m_PointX[at] = static_cast<float>(NumberOf(StoredValue(*context, GetPointPathX(n))));
        m_PointY[at] = static_cast<float>(NumberOf(StoredValue(*context, GetPointPathY(n))));
      }
      shown = 0;
    }
    controls_.txtParX->SetText(com::Variant(m_PointX.at(shown)).ToString(locale));
    controls_.txtParY->SetText(com::Variant(m_PointY.at(shown)).ToString(locale));
  } else {
    controls_.txtParX->SetText("");
    controls_.txtParY->SetText("");
  }

  const bool idle = m_RequestedPoint == kNoPoint;
  controls_.cmdPrev->SetEnabled(!idle);
  controls_.txtParX->SetLocked(idle);
  controls_.txtParY->SetLocked(idle);
  const std::string number = idle ? std::string() : std::to_string(m_RequestedPoint);
  controls_.lblParX->SetCaption("x" + number);
  controls_.lblParY->SetCaption("y" + number);
  MarkCorrect(*context);
}

void CharacteristicEditor::ShowCurrentPoint() {
  m_RequestedPoint = m_CurrentPoint;
  ShowPoint();
}

// ---- Drawing --------------------------------------------------------------------------------

void CharacteristicEditor::DrawReferenceLine() {
  controls::Trend& chart = *controls_.Trend1;
  chart.Reset(0);
  chart.SetHold(true);
  for (std::int16_t n = 0; n < kPoints; ++n) {
    chart.SetSampleTime(0, n * 10.0);
    chart.SampleValue(0, n * 10.0);
  }
  chart.SetHold(false);
}

void CharacteristicEditor::DrawCharacteristic() {
  runtime::DTMContext* context = context_();
  if (!context) return;
  controls::Trend& chart = *controls_.Trend1;
  chart.SetHold(true);
  std::vector<double> xs(kPoints);
  std::vector<double> ys(kPoints);
  for (std::int16_t n = 0; n < kPoints; ++n) {
    const auto at = static_cast<std::size_t>(n);
    if (m_CurrentPoint == kNoPoint) {
      xs[at] = NumberOf(StoredValue(*context, GetPointPathX(n)));
      ys[at] = NumberOf(StoredValue(*context, GetPointPathY(n)));
    } else {
      xs[at] = m_PointX[at];
      ys[at] = m_PointY[at];
    }
  }
  const std::vector<std::int32_t> flags(kPoints, 0);
  chart.SetX(0, 0, xs);
  chart.SetY(0, 0, ys, flags, true);
  chart.SetHold(false);
}

}  // namespace dtm
