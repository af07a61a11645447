#pragma once

class QWidget;

/// The layout tables were measured for a narrower font than the ones found here: at the units'
/// own font some texts run past the places the tables give them. This sets the window's font
/// (and so that of every control in it) a little smaller, by the least step at which the text of
/// every label, check box and group box fits: one-line texts in their width, wrapped texts in
/// their rectangle. The font never shrinks below four fifths of its size.
void FitTextToLayout(QWidget& window);
