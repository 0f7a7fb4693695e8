// velmora-screenshots.exe DIRECTORY: each module dialog created from its real
// template over register words a user might have left, copied from the screen
// as a 24-bit .bmp into DIRECTORY; scripts/screenshots makes the pictures of
// docs/ from them.

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../resources/universal_ids.h"
#include "dialogs/alarm_dialog_win32.h"
#include "dialogs/analog_input_dialog_win32.h"
#include "dialogs/counter_dialog_win32.h"
#include "dialogs/multipurpose_dialog_win32.h"
#include "dialogs/universal_input_dialog_win32.h"
#include "modules/analog_rules.h"
#include "modules/editor_context.h"
#include "window_shot.h"

namespace velmora {
namespace {

class Block final : public RegisterBlock {
public:
    Block() : RegisterBlock(HostContext{}) {}
    bool isWritten(int) const override { return true; }
};

// The dialogs' view of the application: a synchronised editor holding the
// words, or none, which opens a dialog at its defaults.
class Context final : public EditorContext {
public:
    Context(RegisterBlock* block, std::string title) : block_(block), title_(std::move(title)) {
        setEditorContext(this);
    }
    ~Context() override { setEditorContext(nullptr); }
    RegisterBlock* currentEditor() override { return block_; }
    bool isHostSynchronised() const override { return block_ != nullptr; }
    std::string currentTitle() const override { return title_; }

private:
    RegisterBlock* block_;
    std::string title_;
};

struct Shot {
    const char* file;
    std::string title;
    std::vector<std::uint16_t> words; // none: standalone
    std::function<std::unique_ptr<Dialog>()> make;
    int clicked = 0; // a button clicked before the copy
};

std::vector<std::uint16_t> alarmWords() {
    // One group of each kind of span.
    AnalogRules rules(3);
    rules.setRange(1, 5);
    rules.setRange(2, 3);
    rules.setFormat(2, 0);
    rules.setRange(3, 4);
    rules.storeAndCheck(5, 0xF63C); // -2.5 V
    rules.storeAndCheck(6, 0x09C4); // 2.5 V
    return {rules.words().begin(), rules.words().end()};
}

std::vector<std::uint16_t> analogWords(ModuleKind kind) {
    const AnalogRules rules(kind);
    return {rules.words().begin(), rules.words().end()};
}

} // namespace
} // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora-screenshots DIRECTORY\n");
        return 2;
    }
    const std::vector<std::uint16_t> counter{0x0095, 0x0095, 0x0022, 0x0070, 0x0000,
                                             0x0010, 0x000F, 0x0020, 0x03E8};
    std::vector<std::uint16_t> counter4 = counter;
    counter4[4] = 0x01F4;
    const Shot shots[] = {
        {"analog-dialog.bmp", std::string(moduleInfo(0).defaultTitle), analogWords(0),
         [] { return std::make_unique<AnalogInputDialog>(0); }},
        {"alarm-dialog.bmp", "KTR-ZCI-312-00VM", alarmWords(),
         [] { return std::make_unique<AlarmDialog>(3); }},
        {"counter8.bmp", "", counter, [] { return std::make_unique<CounterDialog>(8); }},
        {"counter4.bmp", "", counter4, [] { return std::make_unique<CounterDialog>(4); }},
        // Group 2 measures an RTD, so its three lists show.
        {"universal.bmp",
         "",
         {0x0018, 0x0010, 0x8003 | (4 << 11), 0x0110, 0x0002, 0x0010, 0x0001, 0x0022},
         [] { return std::make_unique<UniversalInputDialog>(); },
         IDC_UNI_GROUP2},
        {"multipurpose.bmp", "KTR-ZPM-354-00VM", {}, [] { return std::make_unique<MultiPurposeDialog>(); }},
    };
    int failed = 0;
    for (const Shot& shot : shots) {
        Block block;
        for (std::size_t i = 0; i < shot.words.size(); ++i)
            block.setRegister(static_cast<int>(i), shot.words[i]);
        Context context(shot.words.empty() ? nullptr : &block, shot.title);
        const auto dialog = shot.make();
        const bool shown = dialog->createModeless();
        if (shown && shot.clicked) SendMessageA(dialog->item(shot.clicked), BM_CLICK, 0, 0);
        if (shown) SetFocus(dialog->item(IDOK));
        if (!shown || !saveWindowBitmap(dialog->hwnd(), std::string(argv[1]) + "\\" + shot.file)) {
            std::fprintf(stderr, "velmora-screenshots: %s not written\n", shot.file);
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
