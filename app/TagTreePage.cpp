#include "app/TagTreePage.h"

#include <QHeaderView>
#include <QTreeWidget>

#include "app/DialogUnits.h"
#include "catalogue/SoundCatalogue.h"
#include "views/QtText.h"

CTagTreePage::CTagTreePage(QWidget* parent) : CDialogPage(parent) {}

void CTagTreePage::Create(CSoundCatalogue* catalogue) {
  const CDialogUnits du(font());
  resize(du.Size(300, 170));
  m_tree = new QTreeWidget(this);
  m_tree->setObjectName(QStringLiteral("tags"));
  m_tree->setGeometry(du.Rect(0, 0, 299, 169));
  m_tree->setHeaderHidden(true);
  m_tree->setColumnCount(1);
  m_tree->setRootIsDecorated(true);
  m_tree->setUniformRowHeights(true);
  m_tree->setAccessibleName(QStringLiteral("Tags"));
  QPalette pal = m_tree->palette();  // the selection stays visible without focus
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
  m_tree->setPalette(pal);
  SetHostedControl(m_tree);
  hide();
  OnInitDialog(catalogue);
}

bool CTagTreePage::OnInitDialog(CSoundCatalogue* catalogue) {
  if (!catalogue || catalogue->m_soundTags.GetCount() <= 0) return true;
  const CSMSoundTagTable& tags = catalogue->m_soundTags;
  for (int32_t i = 0; i < tags.GetCount(); ++i) {
    const CSMSoundTag& tag = tags.m_pData[i];
    const std::string_view name = tag.GetSubName(-1);
    // The tag's own name without its first character (the sub-tag marker "+" where there is one).
    auto* item = new QTreeWidgetItem(m_tree, {FromCp1252(name.substr(name.empty() ? 0 : 1))});
    item->setData(0, Qt::UserRole, i);
    for (int32_t j = 0; j < tag.m_nSubCount; ++j) new QTreeWidgetItem(item, {FromCp1252(tag.GetSubName(j))});
  }
  return true;
}
