// The Configuration page: shows the selected configuration of the profile
// store, lets the user edit it, validates the security fields before the
// page may be left or the sheet confirmed, and hands a changed configuration
// to the platform strategy. Stored keys are never shown: a masked
// placeholder stands for each until the user types a new key. The rules
// live in ConfigPageRules; this class moves data between them and the
// controls.
#pragma once

#include "config/ConfigRecord.h"
#include "framework/PropertySheet.h"
#include "ui/ConfigPageRules.h"
#include "ui/HexKeyEdit.h"

class CDlgPPageConfig : public CPropertyPage {
public:
    CDlgPPageConfig();

    const ConfigPageState& State() const { return state_; }

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // The framework refills the controls on every return to the page; the
    // key edits' change notices from that are not the user's typing, which
    // would turn the placeholders into typed (and then emptied) keys.
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL OnApply() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    // The stored selected configuration, or a record with the defaults.
    static CConfigRecord StoredConfiguration();
    CConfigRecord BuildEdited();
    // Marks the page modified exactly when the edit differs from the store.
    void UpdateModified();
    void ApplyEnablingRules();
    void OnModeClicked(bool adHoc);
    void OnKeySizeChange(int slot);
    void OnKeyEditChange(int slot);
    void OnNetworkSelected();
    void OnNetworkEdited();
    void OnNetworkDropDown();
    // Reads the controls and checks the security fields; shows the message
    // and returns false when they are not valid.
    bool Validate();
    // Writes `text` to a key edit without it counting as typing.
    void WriteKeyText(int slot, const CString& text);

    ConfigPageState state_;
    CHexKeyEdit keyEdits_[kKeySlotCount]; // shared keys 1-4, then the unique key
    CComboBox networkCombo_;
    // Set while the page fills its own controls: their change notices are
    // not the user's.
    bool filling_ = false;
};
