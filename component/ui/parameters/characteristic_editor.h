#pragma once
// The editor of the user-defined valve characteristic on the offline
// parameters page: eleven support points, each mapping the setpoint x to
// the travel or angle y (both in %), edited one at a time in two text
// boxes. It keeps a working copy of all points, checks each entry, writes
// the 22 point elements when the last point is accepted, and draws the
// characteristic beside a reference diagonal on the page's chart.
//
// The editor belongs to its page and works on the page's controls; it
// reaches the runtime only through the page's DTM context, and does
// nothing (CheckPoint answers False) while the page has no DTM.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/controls/trend.h"
#include "platform/forms/controls.h"

namespace dtm::runtime {
class DTMContext;
}

namespace dtm {

// The element of a point's x and y value; "" for a point outside 0 to 10.
std::string GetPointPathX(std::int32_t point);
std::string GetPointPathY(std::int32_t point);

class CharacteristicEditor {
 public:
  static constexpr std::int16_t kPoints = 11;
  static constexpr std::int16_t kNoPoint = -1;
  // An entry in error is red; a correct one has the button-text colour.
  static constexpr forms::OleColor kErrorColor = 255;
  static constexpr forms::OleColor kCorrectColor = forms::colors::kButtonText;

  // The page's controls the editor works on.
  struct Controls {
    std::shared_ptr<forms::CommandButton> cmdPrev;
    std::shared_ptr<forms::CommandButton> cmdNext;
    std::shared_ptr<forms::TextBox> txtParX;
    std::shared_ptr<forms::TextBox> txtParY;
    std::shared_ptr<forms::Label> lblParX;
    std::shared_ptr<forms::Label> lblParY;
    std::shared_ptr<controls::Trend> Trend1;
  };
  // `context` answers the page's DTM context, asked afresh each time;
  // nullptr while the page has no DTM.
  CharacteristicEditor(Controls controls, std::function<runtime::DTMContext*()> context);

  // No point in edit.
  void Reset();

  // The step buttons. Next needs the whole check of the point in edit,
  // Prev only two numbers in range; a refused step leaves the point in
  // edit and its error marks.
  void cmdNext_Click();
  void cmdPrev_Click();
  // The user returns to an entry: its error mark goes.
  void txtParX_GotFocus();
  void txtParY_GotFocus();

  // Checks the entries of the point in edit and stores them in the working
  // copy; on point 10 it writes all points into their elements. True with
  // no point in edit. `entries_valid`, when given, turns True once both
  // entries are numbers in range, even when the order check then fails.
  bool CheckPoint(bool* entries_valid = nullptr);
  // Shows the requested point: the buttons' texts, the entries, the labels.
  void ShowPoint();
  // The texts again after a language change. The point in edit is shown
  // again, also after a refused step: what the boxes show is always the
  // point their entries will be stored into.
  void ShowCurrentPoint();

  // The diagonal from (0, 0) to (100, 100); drawn once at set-up.
  void DrawReferenceLine();
  // The eleven points: the stored ones while idle, the working copy while
  // a point is in edit.
  void DrawCharacteristic();

  std::int16_t CurrentPoint() const { return m_CurrentPoint; }
  std::int16_t RequestedPoint() const { return m_RequestedPoint; }
  float PointX(std::size_t point) const { return m_PointX.at(point); }
  float PointY(std::size_t point) const { return m_PointY.at(point); }

 private:
  enum class Entry { kCorrect, kWrongType, kOutOfRange };
  // Reads one entry as a number in the user's locale: none, or one outside
  // 0 to 100, is an error.
  Entry CheckEntry(runtime::DTMContext& context, const forms::TextBox& box, float& value) const;
  static void MarkError(forms::TextBox& box, const std::string& tooltip);
  void MarkCorrect(runtime::DTMContext& context) const;
  void WritePoints(runtime::DTMContext& context);

  Controls controls_;
  std::function<runtime::DTMContext*()> context_;

  std::int16_t m_CurrentPoint = kNoPoint;
  std::int16_t m_RequestedPoint = kNoPoint;
  std::array<float, kPoints> m_PointX{};
  std::array<float, kPoints> m_PointY{};
};

}  // namespace dtm
