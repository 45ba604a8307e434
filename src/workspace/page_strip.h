#pragma once
// The configurator's page strip as the mouse and the keyboard walk it: the
// wheel over the tabs and Ctrl+Tab / Ctrl+Shift+Tab (Ctrl+PgDown / Ctrl+PgUp)
// step to the next page the model has, never into a hidden or disabled one,
// and wrap at either end.
class QTabWidget;

void keepPagesInReach(QTabWidget* pages);

// The page `step` places after (or before, when negative) the current one
// among the visible, enabled pages; the current page when there is no other.
int nextReachablePage(const QTabWidget* pages, int step);
