#pragma once
// The options sheet "选项": three pages (general, character set, volume) that edit the working
// copy g_optionsSettings. Applying a page copies the whole working copy into the live settings
// g_settings and lets the training view follow them. Whenever the sheet closes, whatever the
// button, the live settings are written to the profile store.

#include <wx/panel.h>
#include <wx/propdlg.h>

#include <functional>
#include <vector>

class CTrainingView;
class SoundOutputHost;
class COptionsSheet;
class CGeneralOptionsDialog;
class CCharSetOptionsDialog;
class CVolumeOptionsDialog;

// Buttons every page has.
enum OptionsPageButtonId : int {
    IDC_OPTIONS_DEFAULT = 2025,
    IDC_OPTIONS_HELP = 2047,
};
static_assert(IDC_OPTIONS_DEFAULT < static_cast<int>(wxID_LOWEST) &&
              IDC_OPTIONS_HELP < static_cast<int>(wxID_LOWEST));

// One page of the sheet. A page is validated (TransferDataFromWindow) whenever it is left or
// applied, and refreshed from the working copy (TransferDataToWindow) whenever it comes back.
class COptionsPage : public wxPanel {
public:
    COptionsPage(wxWindow* book, COptionsSheet& sheet, const wxString& caption);

    const wxString& Caption() const { return m_caption; }
    bool IsModified() const { return m_bModified; }
    // Marks the page as changed since the last apply, which enables the sheet's Apply button.
    void SetModified(bool modified = true);
    // True once the page has been in front; only such pages are applied.
    bool WasShown() const { return m_bShown; }
    void SetShown() { m_bShown = true; }

    // Copies the working copy into the live settings and refreshes the view.
    virtual void OnApply();

protected:
    COptionsSheet& Sheet() const { return m_sheet; }
    // Adds the Default and Help buttons at the bottom right of the page; the Help button opens
    // helpTopic, the Default button calls onDefault.
    void AddPageButtons(wxSizer* pageSizer, const wxString& helpTopic,
                        std::function<void()> onDefault);

private:
    COptionsSheet& m_sheet;
    wxString m_caption;
    bool m_bModified = false;
    bool m_bShown = false;
};

class COptionsSheet : public wxPropertySheetDialog {
public:
    // applyOptions lets the view follow changed live settings; it may be empty.
    COptionsSheet(wxWindow* parent, std::function<void()> applyOptions,
                  SoundOutputHost* soundOutput = nullptr);
    // The sheet of the Options command: the view's ApplyOptions follows every apply.
    COptionsSheet(wxWindow* parent, CTrainingView& view);

    // Copies the live settings into the working copy, runs the sheet, then saves the live
    // settings to the profile store whatever the result.
    int ShowModal() override;

    // OK and Apply: validates the page in front, then applies every page that has been shown.
    // Returns false (and applies nothing) when the page in front refuses its values.
    bool ApplyChanges();
    // Enables Apply while any page is modified.
    void UpdateApplyButton();
    // Lets the view follow the live settings.
    void RefreshView() const;

    COptionsPage* ActivePage() const;
    // The windows an Alt + letter may lead to: the page in front, then the sheet's buttons.
    std::vector<wxWindow*> MnemonicWindows() const;
    CGeneralOptionsDialog& GeneralPage() const { return *m_pGeneral; }
    CCharSetOptionsDialog& CharSetPage() const { return *m_pCharSet; }
    CVolumeOptionsDialog& VolumePage() const { return *m_pVolume; }
    // The outputs and the test tone of the volume page; null for a sheet without a view.
    SoundOutputHost* SoundOutput() const { return m_pSoundOutput; }

private:
    void TransferToAllPages();

    std::function<void()> m_applyOptions;
    SoundOutputHost* m_pSoundOutput = nullptr;
    CGeneralOptionsDialog* m_pGeneral = nullptr;
    CCharSetOptionsDialog* m_pCharSet = nullptr;
    CVolumeOptionsDialog* m_pVolume = nullptr;
    std::vector<COptionsPage*> m_pages;
};

// The number of characters in the working copy's character set (the letters count 26, the
// digits 10, every other sign one).
int WorkingSetSize();

// Writes the live settings to the profile store now.
void SaveLiveSettings();
