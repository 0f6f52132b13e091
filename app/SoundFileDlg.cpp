#include "app/SoundFileDlg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

#include "app/Command.h"
#include "app/DialogPage.h"
#include "app/DialogUnits.h"
#include "app/TabCtrl.h"
#include "app/WaveformView.h"
#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "export/SoundExport.h"
#include "export/SoundPeaks.h"
#include "metafile/SoundInfo.h"
#include "views/ListCommands.h"
#include "views/QtText.h"

namespace {

// A tab page filled by one control.
class CSoundFilePage : public CDialogPage {
 public:
  CSoundFilePage(QWidget* parent, QWidget* control) : CDialogPage(parent) {
    control->setParent(this);
    SetHostedControl(control);
  }
};

QToolButton* MakeButton(const QString& text, const QString& themeIcon, QStyle::StandardPixmap fallback,
                        QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setObjectName(text.toLower());
  button->setIcon(QIcon::fromTheme(themeIcon, parent->style()->standardIcon(fallback)));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setAutoRaise(true);
  return button;
}

QString Number(uint64_t n) { return QString::number(n); }

}  // namespace

CSoundFileDlg::CSoundFileDlg(QWidget* owner) : QDialog(owner) {
  // Caption, system menu, sizing border, minimise box; a window of its own, kept above its owner.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Sound File"));
  if (owner) setWindowIcon(owner->windowIcon());
  setFont(DialogFont());
  const CDialogUnits du(font());
  resize(du.Size(371, 145));
  m_tab = new CTabCtrl(this);
  m_tab->setObjectName(QStringLiteral("tab"));
  m_tab->setGeometry(du.Rect(0, 0, 371, 145));

  auto* buttons = new QWidget;
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  m_play = MakeButton(QStringLiteral("Play"), QStringLiteral("media-playback-start"), QStyle::SP_MediaPlay, this);
  m_stop = MakeButton(QStringLiteral("Stop"), QStringLiteral("media-playback-stop"), QStyle::SP_MediaStop, this);
  row->addWidget(m_play);
  row->addWidget(m_stop);
  connect(m_play, &QToolButton::clicked, this, &CSoundFileDlg::OnPlay);
  connect(m_stop, &QToolButton::clicked, this, &CSoundFileDlg::OnStop);
  m_tab->SetCornerWidget(buttons);

  m_table = new QTableWidget(0, 2);
  m_table->setObjectName(QStringLiteral("format"));
  m_table->setAccessibleName(QStringLiteral("Format"));
  m_table->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
  m_table->verticalHeader()->hide();
  m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_table->horizontalHeader()->setStretchLastSection(true);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setWordWrap(true);
  m_waveform = new CWaveformView;
  m_waveform->setObjectName(QStringLiteral("waveform"));
  m_waveform->setAccessibleName(QStringLiteral("Waveform"));

  m_tab->InsertItem(0, QStringLiteral("Format"));
  m_tab->InsertItem(1, QStringLiteral("Waveform"));
  connect(m_tab, &CTabCtrl::SelChanging, this, [this](int index) {
    if (QWidget* page = Page(index)) page->hide();
  });
  connect(m_tab, &CTabCtrl::SelChange, this, [this](int index) {
    if (QWidget* page = Page(index)) page->show();
  });
  const QRect page = m_tab->GetPageRect();
  m_formatPage = new CSoundFilePage(m_tab, m_table);
  m_formatPage->setGeometry(page);
  m_formatPage->show();
  m_waveformPage = new CSoundFilePage(m_tab, m_waveform);
  m_waveformPage->setGeometry(page);
  m_waveformPage->hide();
  SetSound(nullptr, nullptr);
}

QWidget* CSoundFileDlg::Page(int index) const {
  switch (index) {
    case 0: return m_formatPage;
    case 1: return m_waveformPage;
    default: return nullptr;
  }
}

void CSoundFileDlg::SetSound(const CSoundListModel* model, const SoundListItem* item) {
  // The row is copied: the model's rows may be rebuilt while this dialog is open.
  m_pModel = model;
  m_item = item ? *item : SoundListItem{};
  const StoredSoundBytes sound = ReadStoredSound(model, item);
  m_info = DescribeStoredSound(sound);
  FillFormatTable(sound);
  SoundPeaks peaks = ComputePeaks(sound);
  // The format's reason says more than the decoder's.
  if (peaks.nFrames == 0 && !m_info.problem.empty()) peaks.problem = m_info.problem;
  m_waveform->SetPeaks(std::move(peaks));
  m_play->setEnabled(sound.problem.empty());
}

void CSoundFileDlg::AddRow(const QString& field, const QString& value) {
  const int row = m_table->rowCount();
  m_table->insertRow(row);
  m_table->setItem(row, 0, new QTableWidgetItem(field));
  m_table->setItem(row, 1, new QTableWidgetItem(value));
}

void CSoundFileDlg::FillFormatTable(const StoredSoundBytes& sound) {
  const SoundFileInfo& info = m_info;
  m_table->setRowCount(0);
  if (const CSMSoundFile* file = sound.pFile) {
    AddRow(QStringLiteral("File"), FromCp1252(file->m_name.GetText()) + u'.' + QLatin1String(file->GetExtension()));
    AddRow(QStringLiteral("Location"), QString::fromStdString(SoundLocationText(*file)));
    AddRow(QStringLiteral("Stored size"), QStringLiteral("%1 bytes").arg(sound.nStoredSize));
  }
  if (!info.problem.empty()) {
    AddRow(QStringLiteral("Cannot read"), QString::fromStdString(info.problem));
    QFont bold = font();
    bold.setBold(true);
    for (int c = 0; c < 2; ++c) {
      m_table->item(m_table->rowCount() - 1, c)->setFont(bold);
      m_table->item(m_table->rowCount() - 1, c)->setForeground(QColor(176, 0, 0));
    }
  }
  if (info.container == CONTAINER_WAVE) {
    const char* name = FormatTagName(info.wFormatTag);
    AddRow(QStringLiteral("Container"), QStringLiteral("WAVE"));
    AddRow(QStringLiteral("Format tag"), QStringLiteral("0x%1 (%2)")
                                             .arg(info.wFormatTag, 4, 16, QLatin1Char('0'))
                                             .arg(name ? QLatin1String(name) : QLatin1String("unknown")));
    AddRow(QStringLiteral("Channels"), Number(info.nChannels));
    AddRow(QStringLiteral("Sample rate"), QStringLiteral("%1 Hz").arg(info.nSamplesPerSec));
    AddRow(QStringLiteral("Bits per sample"), Number(info.wBitsPerSample));
    AddRow(QStringLiteral("Block align"), QStringLiteral("%1 bytes").arg(info.nBlockAlign));
    if (info.nSamplesPerBlock) AddRow(QStringLiteral("Samples per block"), Number(info.nSamplesPerBlock));
    AddRow(QStringLiteral("Data bytes"), info.nDataStored < info.nDataBytes
                                             ? QStringLiteral("%1 (%2 stored)").arg(info.nDataBytes).arg(info.nDataStored)
                                             : Number(info.nDataBytes));
  } else if (info.container == CONTAINER_OGG) {
    AddRow(QStringLiteral("Container"), QStringLiteral("Ogg Vorbis"));
    if (info.problem.empty()) {
      AddRow(QStringLiteral("Channels"), Number(info.nChannels));
      AddRow(QStringLiteral("Sample rate"), QStringLiteral("%1 Hz").arg(info.nSamplesPerSec));
      AddRow(QStringLiteral("Nominal bitrate"), info.nNominalBitrate > 0
                                                    ? QStringLiteral("%1 bit/s").arg(info.nNominalBitrate)
                                                    : QStringLiteral("not given"));
      AddRow(QStringLiteral("Vendor"), QString::fromStdString(info.vendor));
      for (const std::string& comment : info.comments) AddRow(QStringLiteral("Comment"), QString::fromStdString(comment));
    }
  }
  if (info.problem.empty() && info.nSamplesPerSec > 0)
    AddRow(QStringLiteral("Duration"),
           QStringLiteral("%1 s (%2 samples)").arg(info.dDuration, 0, 'f', 3).arg(Number(info.nFrames)));
  for (const std::string& note : info.notes) AddRow(QStringLiteral("Note"), QString::fromStdString(note));
  m_table->resizeRowsToContents();
}

void CSoundFileDlg::OnPlay() { PlayItem(m_pModel, m_item.pFile ? &m_item : nullptr); }

void CSoundFileDlg::OnStop() {
  if (g_pAudio) g_pAudio->Stop();
}

void CSoundFileDlg::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (!m_tab) return;
  m_tab->FitToClient(rect(), {Page(0), Page(1)});
}

void CSoundFileDlg::closeEvent(QCloseEvent* event) {
  // The owner destroys this dialog.
  event->ignore();
  SendCommand(parentWidget(), ID_CLOSE_CHILD);
}
