#include "TFlatLook.h"

#include "TLookStyler.h"

TFlatLook::TFlatLook(QWidget* mainWindow) {
    Look = new TLookStyler(mainWindow);
    Look->SetActive(true);
    Look->SetDimLevel(30);
    Look->SetGrayLevel(10);
    Look->SetColor(clBtnFace);
    Look->SetIconBackColor(clBtnFace);
    Look->SetMenuBarColor(clBtnFace);
    Look->SetSelectColor(clHighlight);
    Look->SetSelectBorderColor(clHighlight);
    Look->SetSelectFontColor(clMenuText);
    Look->SetDisabledColor(clInactiveCaption);
    Look->SetSeparatorColor(clBtnFace);
    Look->SetCheckedColor(clHighlight);
    Look->SetIconWidth(24);
    Look->SetDrawMenuBar(false);
    Look->SetDrawSelect(true);
    Look->SetUseSystemColors(true);
    Look->SetUseDimColor(false);
    Look->SetOverrideOwnerDraw(false);
    Look->SetGradient(false);
    Look->SetFlatMenu(false);
    Look->SetAutoDetect(false);
    Look->SetDisableSubclassing(false);
    Look->SetLookContainers(TLookContainers::All());
    Look->SetLookControls(TLookControls(0x7FFFFF));
    Look->RegisterWithManager();
    Look->SetActive(true);
}
