#include "editor/pages/Pages.h"

#include "editor/StringLists.h"
#include "engine/ICommandHandler.h"

void CPageView::drawBackgroundRect(CDrawContext* context, const CRect& updateRect) {
  CViewContainer::drawBackgroundRect(context, updateRect);
  CFontDesc font("Arial", 11, kBoldFace);
  context->setFont(&font);
  context->setFontColor(CColor(255, 255, 255, 60));
  context->drawString(m_title, CRect(40, 0, getWidth(), getHeight()), false, kCenterText);
}

CMenuModSource::CMenuModSource(const CRect& size, CControlListener* listener, long tag, const CColor& textColor)
    : CListControl(size, listener, tag, textColor, &slModSource, 0.f, 0) {}

CMenuModTarget::CMenuModTarget(const CRect& size, CControlListener* listener, long tag, const CColor& textColor)
    : CListControl(size, listener, tag, textColor, &slModTarget, 0.f, 0) {}
