#pragma once
// The frame every module dialog follows: it finds its editor through the
// application when it opens, starts from the host's registers or from its
// defaults, shows register words as "%04X", keeps the focus across a refresh,
// presents itself in the foreground and paints its icon when minimised.

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/dialog.h"
#include "hostlink/register_block.h"

namespace velmora {

class ModuleDialog : public Dialog, public EditorDialog {
public:
    explicit ModuleDialog(int templateId);

    // EditorDialog: the run cycle runs the dialog modally (1 OK, 2 Cancel).
    int runModal() override;

protected:
    // The editor of the running cycle; null before the window opened.
    RegisterBlock* editor() const { return editor_; }

    // Opening, in order: the framework's binding, icons, the editor, then
    // fillLists(), then start() (the family reads and decodes the editor's
    // registers when `synchronised`, else encodes its defaults), then
    // refresh(), then afterStart() for the family's own steps, then present().
    bool onInitDialog() override;
    virtual void fillLists() {}
    virtual void start(bool synchronised) = 0;
    virtual void afterStart() {}

    // Brings every control up to date with the settings; called by refresh(),
    // which keeps the keyboard focus where it was.
    virtual void refreshControls() = 0;
    void refresh();

    // A register word in its edit, "%04X".
    void showWord(int editId, std::uint16_t word);

    // Painting when minimised; families without a paint handler turn it off.
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void setPaintsIcon(bool paints) { paintsIcon_ = paints; }
    // Only the analog and alarm dialogs answer the drag-icon query.
    void answerDragIconQuery() { setDragIcon(bigIcon_); }

    HICON bigIcon() const { return bigIcon_; }

private:
    RegisterBlock* editor_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    bool paintsIcon_ = true;
};

} // namespace velmora
