#pragma once
// The controls of a page that each show one field of the field table: a page
// fills and reads them by walking the table's rows instead of naming every
// control twice. Rows sharing a byte with a switch (a limit's box and spin),
// code-grid cells and the option boxes of an input record are bound like any
// other control; what the page does beyond one value per control stays in
// the page.
#include "image/field_table.h"
#include "image/image_values.h"

#include <QStringList>
#include <QWidget>
#include <vector>

// Names the entries that lists under `root` show for stored values none of
// their items stores, in `language` (a fill names them in Hungarian).
void nameModuleValueEntries(QWidget* root, int language);

class PageFields {
  public:
    // Binds every row whose control lies under `root` now, each found once,
    // but the controls in `ownControls`, which the page fills and reads
    // itself. A page builds this after its own layout, so controls that other
    // boxes add to the same sheet later stay theirs.
    explicit PageFields(QWidget* root, const QStringList& ownControls = {});

    // Every bound control's value into its slot. A list without selection
    // leaves its slot empty; a record's option byte holds only the boxes the
    // page has.
    void read(ImageValues& values) const;
    // Every bound control from its slot; an empty slot leaves the control as
    // it is. A stored value outside a control's choices is shown as it is: a
    // list gets an entry naming it, a spin widens its range until moved.
    void fill(const ImageValues& values) const;

    // The bound control of `objectName`, for the page's own rules.
    template <class W> W* control(const QString& objectName) const {
        for (const Bound& b : bound_)
            if (b.field->control == objectName)
                return qobject_cast<W*>(b.control);
        return nullptr;
    }
    size_t size() const { return bound_.size(); }

  private:
    struct Bound {
        const FieldTable::Field* field;
        QWidget* control;
    };
    std::vector<Bound> bound_;
};
