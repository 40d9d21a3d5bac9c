#include "ui/DlgPPageConfig.h"

#include "adapter/AdapterAccess.h"
#include "adapter/NetworkScanList.h"
#include "config/KeyProtection.h"
#include "config/ProfileStore.h"
#include "framework/UserMessage.h"
#include "framework/WaitCursor.h"
#include "platform/Platform.h"
#include "platform/ResourceText.h"
#include "res/resource.h"
#include "ui/KeySizes.h"
#include "ui/PageIds.h"

namespace {

// Per key slot (shared keys 1-4, then the unique key): its edit, its size
// list and its default-key radio.
const int kKeyEditIds[kKeySlotCount] = {IDC_CFG_SHARED_KEY1, IDC_CFG_SHARED_KEY2,
                                        IDC_CFG_SHARED_KEY3, IDC_CFG_SHARED_KEY4,
                                        IDC_CFG_UNIQUE_KEY};
const int kKeySizeIds[kKeySlotCount] = {IDC_CFG_SHARED_SIZE1, IDC_CFG_SHARED_SIZE2,
                                        IDC_CFG_SHARED_SIZE3, IDC_CFG_SHARED_SIZE4,
                                        IDC_CFG_UNIQUE_SIZE};
const int kKeyRadioIds[kKeySlotCount] = {IDC_CFG_DEFAULT_KEY1, IDC_CFG_DEFAULT_KEY2,
                                         IDC_CFG_DEFAULT_KEY3, IDC_CFG_DEFAULT_KEY4,
                                         IDC_CFG_DEFAULT_UNIQUE};

const char* const kPowerSavingTexts[] = {"Off", "Normal", "Maximum"};
const int kNetworkNameLimit = 32;

int SlotOf(const int (&ids)[kKeySlotCount], WORD id) {
    for (int slot = 0; slot < kKeySlotCount; ++slot)
        if (ids[slot] == id)
            return slot;
    return -1;
}

CString Encipher(const char* plain, int32_t bits) {
    return EncryptKeyText(plain, bits);
}

void Decipher(const char* cipher, CString& plain, int32_t byteCount) {
    DecryptKeyText(cipher, plain, byteCount);
}

void AddListText(HWND list, const char* text) {
    ::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

} // namespace

CDlgPPageConfig::CDlgPPageConfig() : CPropertyPage(IDD_PAGE_CONFIG) {
    m_psp.dwFlags &= ~PSP_HASHELP;
}

void CDlgPPageConfig::DoDataExchange(CDataExchange* dx) {
    CPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_CFG_NETWORK_NAME, networkCombo_);
    DDX_Text(dx, IDC_CFG_NETWORK_NAME, state_.networkName);
    DDX_Check(dx, IDC_CFG_SECURITY, state_.security);
    DDX_Check(dx, IDC_CFG_TURBO, state_.turbo);
    DDX_CBIndex(dx, IDC_CFG_UNIQUE_SIZE, state_.uniqueSize);
    DDX_Text(dx, IDC_CFG_UNIQUE_KEY, state_.uniqueKeyText);
    for (int i = 0; i < kSharedKeyCount; ++i)
        DDX_Text(dx, kKeyEditIds[i], state_.sharedKeyText[i]);
    for (int i = 0; i < kSharedKeyCount; ++i)
        DDX_CBIndex(dx, kKeySizeIds[i], state_.sharedSize[i]);
    DDX_CBIndex(dx, IDC_CFG_POWER_SAVING, state_.powerSaving);
    DDX_Radio(dx, IDC_CFG_DEFAULT_UNIQUE, state_.defaultKey);
    DDX_Radio(dx, IDC_CFG_INFRASTRUCTURE, state_.mode);
    for (int slot = 0; slot < kKeySlotCount; ++slot)
        DDX_Control(dx, kKeyEditIds[slot], keyEdits_[slot]);
}

BOOL CDlgPPageConfig::OnInitDialog() {
    for (int id : kKeySizeIds)
        if (HWND list = GetDlgItem(id))
            for (const KeySize& size : kKeySizes)
                AddListText(list, size.listText);
    if (HWND list = GetDlgItem(IDC_CFG_POWER_SAVING))
        for (const char* text : kPowerSavingTexts)
            AddListText(list, text);

    filling_ = true;
    CPropertyPage::OnInitDialog();
    state_ = LoadConfigPageState(StoredConfiguration(), &Decipher);
    for (int slot = 0; slot < kKeySlotCount; ++slot) {
        CHexKeyEdit& edit = keyEdits_[slot];
        if (!edit.m_hWnd)
            continue;
        edit.LimitText(KeyEditLimit(state_.KeySize(slot)));
        edit.placeholderShown = state_.KeyText(slot).IsEmpty() ? FALSE : TRUE;
    }
    if (networkCombo_.m_hWnd)
        networkCombo_.LimitText(kNetworkNameLimit);
    UpdateData(FALSE);
    ApplyEnablingRules();
    filling_ = false;
    return TRUE;
}

BOOL CDlgPPageConfig::OnSetActive() {
    filling_ = true;
    BOOL result = CPropertyPage::OnSetActive();
    filling_ = false;
    return result;
}

BOOL CDlgPPageConfig::OnKillActive() {
    if (!Validate())
        return FALSE;
    return CPropertyPage::OnKillActive();
}

BOOL CDlgPPageConfig::OnApply() {
    if (!Validate())
        return FALSE;
    CConfigRecord stored = StoredConfiguration();
    CConfigRecord edited = BuildEdited();
    if (ConfigurationDiffers(edited, stored))
        if (CPlatform* strategy = GetAdapterAccess().Strategy())
            strategy->ApplyConfiguration(edited);
    UpdateModified();
    return TRUE;
}

bool CDlgPPageConfig::OnCommand(WORD id, WORD code, HWND control) {
    switch (id) {
    case IDC_CFG_ADHOC:
    case IDC_CFG_INFRASTRUCTURE:
        if (code == BN_CLICKED) {
            OnModeClicked(id == IDC_CFG_ADHOC);
            return true;
        }
        break;
    case IDC_CFG_SECURITY:
        if (code == BN_CLICKED) {
            UpdateData(TRUE);
            UpdateModified();
            ApplyEnablingRules();
            return true;
        }
        break;
    case IDC_CFG_TURBO:
        if (code == BN_CLICKED) {
            UpdateData(TRUE);
            UpdateModified();
            return true;
        }
        break;
    case IDC_CFG_POWER_SAVING:
        if (code == CBN_SELENDOK) {
            UpdateData(TRUE);
            UpdateModified();
            return true;
        }
        break;
    case IDC_CFG_NETWORK_NAME:
        switch (code) {
        case CBN_SELENDOK:
            OnNetworkSelected();
            return true;
        case CBN_EDITCHANGE:
            OnNetworkEdited();
            return true;
        case CBN_DROPDOWN:
            OnNetworkDropDown();
            return true;
        case CBN_SELCHANGE:
            return true;
        default:
            break;
        }
        break;
    default:
        if (int slot = SlotOf(kKeySizeIds, id); slot >= 0 && code == CBN_SELENDOK) {
            OnKeySizeChange(slot);
            return true;
        }
        if (int slot = SlotOf(kKeyEditIds, id); slot >= 0) {
            if (code == EN_CHANGE)
                OnKeyEditChange(slot);
            return code == EN_CHANGE || code == EN_KILLFOCUS;
        }
        // The default key is part of the edited configuration too: its
        // radios keep the modified mark current like every other control.
        if (SlotOf(kKeyRadioIds, id) >= 0 && code == BN_CLICKED) {
            UpdateData(TRUE);
            UpdateModified();
            return true;
        }
        break;
    }
    return CPropertyPage::OnCommand(id, code, control);
}

CConfigRecord CDlgPPageConfig::StoredConfiguration() {
    const CConfigRecord* selected = FindConfiguration(nullptr);
    return selected ? *selected : CConfigRecord();
}

CConfigRecord CDlgPPageConfig::BuildEdited() {
    return BuildEditedConfiguration(state_, StoredConfiguration(), &Encipher);
}

void CDlgPPageConfig::UpdateModified() {
    SetModified(ConfigurationDiffers(BuildEdited(), StoredConfiguration()) ? TRUE : FALSE);
}

void CDlgPPageConfig::ApplyEnablingRules() {
    ConfigEnabling enabling = ConfigEnablingRules(state_);
    for (int slot = 0; slot < kKeySlotCount; ++slot) {
        BOOL on =
            (slot == kUniqueKeySlot ? enabling.uniqueKey : enabling.sharedKeys) ? TRUE : FALSE;
        for (int id : {kKeyEditIds[slot], kKeySizeIds[slot], kKeyRadioIds[slot]})
            if (HWND control = GetDlgItem(id))
                ::EnableWindow(control, on);
    }
}

void CDlgPPageConfig::OnModeClicked(bool adHoc) {
    if (HWND power = GetDlgItem(IDC_CFG_POWER_SAVING))
        ::EnableWindow(power, adHoc ? FALSE : TRUE);
    UpdateData(TRUE);
    UpdateModified();
    ApplyEnablingRules();
}

void CDlgPPageConfig::OnKeySizeChange(int slot) {
    UpdateData(TRUE);
    bool cut = CutKeyTextToSize(state_, slot);
    if (keyEdits_[slot].m_hWnd)
        keyEdits_[slot].LimitText(KeyEditLimit(state_.KeySize(slot)));
    if (cut)
        WriteKeyText(slot, state_.KeyText(slot));
    UpdateModified();
}

void CDlgPPageConfig::OnKeyEditChange(int slot) {
    if (filling_)
        return;
    CHexKeyEdit& edit = keyEdits_[slot];
    edit.placeholderShown = FALSE;
    if (edit.m_hWnd) {
        // Typed keys are shown in clear.
        edit.SetPasswordChar(0);
        ::InvalidateRect(edit.m_hWnd, nullptr, TRUE);
    }
    UpdateData(TRUE);
    if (KeyEditChanged(state_, slot) == KeyEditOutcome::EmptiedWithBeep) {
        UserBeep(MB_ICONHAND);
        WriteKeyText(slot, state_.KeyText(slot));
    }
    UpdateModified();
}

void CDlgPPageConfig::OnNetworkSelected() {
    int selected = networkCombo_.GetCurSel();
    if (selected >= 0)
        networkCombo_.GetLBText(selected, state_.networkName);
    UpdateModified();
}

void CDlgPPageConfig::OnNetworkEdited() {
    UpdateData(TRUE);
    networkCombo_.LimitText(kNetworkNameLimit);
    UpdateModified();
}

void CDlgPPageConfig::OnNetworkDropDown() {
    CWaitCursor wait;
    NetworkScanList networks;
    if (!BuildNetworkScanList(networks))
        return;
    for (size_t i = 0; i < networks.size(); ++i) {
        const CString& ssid = networks[i]->ssid;
        if (networkCombo_.FindStringExact(-1, ssid.c_str()) != CB_ERR)
            continue;
        // The fetched position, or the end while the list is still shorter
        // (a name seen twice above took no place of its own).
        int count = networkCombo_.GetCount();
        int at = static_cast<int>(i) < count ? static_cast<int>(i) : count;
        networkCombo_.InsertString(at, ssid.c_str());
    }
}

bool CDlgPPageConfig::Validate() {
    UpdateData(TRUE);
    ConfigValidationTexts texts;
    texts.intro = LoadResourceText(IDS_CORRECT_ERRORS);
    texts.sharedKeyLength = LoadResourceText(IDS_SHARED_KEY_LENGTH);
    texts.uniqueKeyLength = LoadResourceText(IDS_UNIQUE_KEY_LENGTH);
    texts.defaultKeyMissing = LoadResourceText(IDS_NO_DEFAULT_KEY);
    texts.sharedKeysNotSet = LoadResourceText(IDS_NO_SHARED_KEYS);
    texts.settingsCaption = LoadResourceText(IDS_CONFIG_SETTINGS);
    texts.securityCaption = LoadResourceText(IDS_SECURITY);
    ConfigValidation validation = ValidateConfigPage(state_, texts);
    if (validation.valid)
        return true;
    ShowUserMessageFor(::GetParent(m_hWnd), validation.text.c_str(), validation.caption.c_str(),
                       MB_OK);
    return false;
}

void CDlgPPageConfig::WriteKeyText(int slot, const CString& text) {
    if (!keyEdits_[slot].m_hWnd)
        return;
    bool wasFilling = filling_;
    filling_ = true;
    keyEdits_[slot].SetWindowText(text.c_str());
    filling_ = wasFilling;
}
