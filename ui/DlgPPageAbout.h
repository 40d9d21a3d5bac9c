// The About page: the device, its regulatory domain, driver version and
// date and MAC address, and the utility's own version and date. The texts
// are composed once, when the page object is made (each time the sheet
// opens); the page has no timer.
#pragma once

#include "framework/PropertySheet.h"
#include "ui/AboutPageRules.h"

class CDlgPPageAbout : public CPropertyPage {
public:
    CDlgPPageAbout();

    const AboutPageTexts& Texts() const { return texts_; }

protected:
    void DoDataExchange(CDataExchange* dx) override;

private:
    AboutPageTexts texts_;
};
