#pragma once
// A sub-page of "Sensores RF" with a cycle of its own. The tab's read,
// edit, write and clear buttons act on the sub-page on show through this;
// the enrolment and delete sub-pages have none, and there the buttons do
// nothing.

#include <QList>
#include <vector>

#include "ui/pages/config_page.h"

class QWidget;

class RfSubPage {
public:
    virtual ~RfSubPage() = default;

    // What edit unlocks, a write locks again and clear empties.
    virtual QList<QWidget*> Controls() const = 0;
    // What the read button asks the session for; nothing when a field was
    // refused (its box has been shown). May throw ConversionError.
    virtual void RequestRead() = 0;
    // The cycle's write steps: the fields' checks, then the write itself.
    // Both may throw ConversionError.
    virtual bool Validate() = 0;
    virtual void RequestWrite() = 0;
    // The numeric fields a write sends, judged by the tab after Validate().
    virtual std::vector<RangedField> RangedFields() const { return {}; }
};
