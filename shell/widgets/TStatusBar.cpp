#include "shell/widgets/TStatusBar.h"

#include <QHBoxLayout>
#include <QLabel>

namespace {
constexpr int kPanelWidths[3] = {143, 150, 50};
constexpr Qt::Alignment kPanelAlignments[3] = {Qt::AlignCenter, Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter};
}  // namespace

TStatusBar::TStatusBar(QWidget* parent) : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setFrameShape(QFrame::Panel);
    panels_[i]->setFrameShadow(QFrame::Sunken);
    panels_[i]->setAlignment(kPanelAlignments[i]);
    if (i < 2)
      panels_[i]->setFixedWidth(kPanelWidths[i]);
    else
      panels_[i]->setMinimumWidth(kPanelWidths[i]);
    row->addWidget(panels_[i], i < 2 ? 0 : 1);
  }
}

QString TStatusBar::panelText(int i) const { return panels_.at(i)->text(); }

void TStatusBar::setPanelText(int i, const QString& text) { panels_.at(i)->setText(text); }

int TStatusBar::panelWidth(int i) const { return kPanelWidths[i]; }
