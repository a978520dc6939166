#include "ui/message_box.h"

#include <wx/app.h>
#include <wx/msgdlg.h>

#include "ui/translate.h"

int ShowMessageBox(wxWindow* parent, const wxString& text, long style) {
    wxMessageDialog box(parent, text, wxTheApp != nullptr ? wxTheApp->GetAppDisplayName() : "",
                        style);
    if (style & wxYES_NO) {
        if (style & wxCANCEL)
            box.SetYesNoCancelLabels(_("是"), _("否"), _("取消"));
        else
            box.SetYesNoLabels(_("是"), _("否"));
    } else if (style & wxCANCEL) {
        box.SetOKCancelLabels(_("确定"), _("取消"));
    } else {
        box.SetOKLabel(_("确定"));
    }
    return box.ShowModal();
}
