#pragma once
// The nine parameters of a detector, one row each: everything the window,
// the read and send handlers, the project file, the command line and the
// site runner know about a parameter is read from this table. The byte
// forms of its read request and write command stay in protocol/codec.h.
#include "core/message_lines.h"
#include "form/form.h"
#include "protocol/codec.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quelm {

// The parameters as the window shows them: the index of the selected option
// of each group in window order (none when no option is selected) and the
// texts of the level boxes.
struct DetectorParameters {
    std::optional<int> channel, dynamicTime, outputPower, riseTime, fallTime, commandType;
    std::string levelOnPlus, levelDynPlus, levelDynMinus;
    bool operator==(const DetectorParameters&) const = default;
};

// One choice of an option group.
struct ParameterChoice {
    const char* name; // as the command line, the reports and the box file write it ("max", "2min")
    int option;       // the window's option (Option3 .. Option29)
    int replyCode;    // the code the detector reports in its read reply
    int writeValue;   // the value its write command takes (EncodeWriteCommand)
};

struct ParameterRow {
    Parameter parameter;
    const char* key;          // JSON and report name ("outputPower")
    const char* cliName;      // send-params and box file name ("power")
    const char* label;        // readable label of the command line ("output power"), its catalogue key
    const char* frenchColumn; // its column in a French site report ("puissance")
    std::size_t frame;        // the group frame whose caption names it (Frame7 .. Frame18)
    // The choices in the order the command line lists them and a project file
    // tests them; empty for a level. Their options run first..last in
    // window order.
    std::span<const ParameterChoice> choices = {};
    int levelText = 0;                // 8, 9 or 10 for a level (Text8 .. Text10), else 0
    int readGroup = 0;                // the read request (1 to 3) whose reply 64, 65 or 66 carries it
    int replyByte = 0;                // its byte in that reply (2 to 4)
    std::size_t sendTimer = 0;        // the send step that writes it (Timer7 .. Timer15)
    MessageLine sendingLine = noLine; // the message line of that step
    int projectLine = 0;              // its line in a project file (11 to 19)
    // Where DetectorParameters holds it: a choice's index, or a level's text.
    std::optional<int> DetectorParameters::*shownChoice = nullptr;
    std::string DetectorParameters::*shownLevel = nullptr;
    constexpr bool isLevel() const { return levelText != 0; }
};

inline constexpr int kFirstReadGroup = 1;
inline constexpr int kLastReadGroup = 3;
// The lines of a project file that hold parameters: options first, then levels.
inline constexpr int kFirstProjectOptionLine = 11;
inline constexpr int kLastProjectOptionLine = 16;
inline constexpr int kLastProjectLine = 19;

// The rows in send order, which is also the order of the reports.
std::span<const ParameterRow, kParameterCount> ParameterTable();
const ParameterRow& RowOf(Parameter parameter);
// The row a send step's timer writes, the row of a project line, the row an
// option belongs to; none outside the table.
const ParameterRow* RowOfSendTimer(std::size_t timer);
const ParameterRow* RowOfProjectLine(int line);
const ParameterRow* RowOfOption(int option);
const ParameterRow* RowOfLevelText(int levelText);
// The rows in project-file order (lines 11 to 19).
std::vector<const ParameterRow*> RowsInFileOrder();

// The options of a choice row run first..last in window order.
int FirstOption(const ParameterRow& row);
int LastOption(const ParameterRow& row);
// The choice of the option `first + index` (window order), or of an option
// number; none when there is no such choice.
const ParameterChoice* ChoiceAtIndex(const ParameterRow& row, std::optional<int> index);
const ParameterChoice* ChoiceOfOption(const ParameterRow& row, int option);

// The row's controls: its options, or its frame and level box.
std::vector<Control*> RowControls(Form& f, const ParameterRow& row);
// The controls of one read group: the options of its rows, then the frame
// and box of each level.
std::vector<Control*> ReadGroupControls(Form& f, int group);
TextBox* LevelBox(const Form& f, int levelText);

} // namespace quelm
