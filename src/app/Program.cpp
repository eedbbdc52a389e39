#include "app/Program.h"

#include <atomic>
#include <thread>
#include <utility>

#include "app/App.h"
#include "app/frmMain.h"
#include "log/Deferral.h"
#include "win/Messages.h"
#include "win/Seam.h"
#include "wizard/frmNIMOWizard.h"

struct Program::Batch {
  std::vector<modMain::InstalledExtension> entries;
  long total = 0;
  bool last = false;
};

// The thread that reads MenuExt and posts what it read to a window, batch by batch, then
// takes the copy of MenuExt its setting asks for. It touches no window but by PostMessage:
// its log lines and messages are held (Deferred) and posted with its end.
class Program::ReadThread {
 public:
  explicit ReadThread(HWND to) : thread_([this, to] { Run(to); }) {}
  ~ReadThread() {
    stop_ = true;
    thread_.join();
  }
  ReadThread(const ReadThread&) = delete;
  ReadThread& operator=(const ReadThread&) = delete;

 private:
  void Run(HWND to) {
    auto held = std::make_unique<modMain::Deferred>();
    {
      modMain::DeferHere here(*held);
      const bool whole = modMain::ReadInstalled([&](std::vector<modMain::InstalledExtension>&& entries, long total, bool last) {
        if (stop_) return false;
        auto batch = std::make_unique<Batch>(Batch{std::move(entries), total, last});
        if (!PostMessageA(to, win::kReadBatch, 0, reinterpret_cast<LPARAM>(batch.get()))) return false;
        batch.release();  // the window owns it now
        if (!last) win::Ui().BetweenBatches();
        return !stop_;
      });
      if (whole && !stop_) {
        win::Ui().BetweenBatches();
        modMain::BackUpAtRead(true);
      }
    }
    if (PostMessageA(to, win::kReadDone, 0, reinterpret_cast<LPARAM>(held.get()))) held.release();
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once the rest is made
};

Program::Program(frmMain& main) : main_(main) {}

Program::~Program() { StopReading(); }

void Program::ReadInstalledInBackground(std::function<void()> then) {
  StopReading();
  then_ = std::move(then);
  extensions_.Installed.clear();
  main_.ShowReadStart();
  read_ = std::make_unique<ReadThread>(main_.Handle());
}

void Program::TakeBatch(LPARAM message) {
  std::unique_ptr<Batch> batch(reinterpret_cast<Batch*>(message));
  if (!read_) return;  // from a read that was ended
  modMain::LogExtracted(batch->entries);
  const size_t from = extensions_.Installed.size();
  modMain::TakeBatch(extensions_, std::move(batch->entries), batch->total, batch->last);
  main_.ShowBatch(extensions_, from, batch->total);
  if (!batch->last) return;
  modMain::FinishInstalled(extensions_, modMain::Reader::Main);
  main_.ShowInstalled(extensions_, modMain::Reader::Main, true);
}

// The backup's lines follow the read's, its messages show, and then the commands work.
void Program::TakeEnd(LPARAM message) {
  std::unique_ptr<modMain::Deferred> held(reinterpret_cast<modMain::Deferred*>(message));
  if (!read_) return;
  read_.reset();  // its thread has nothing left to do
  held->Release();
  if (then_) std::exchange(then_, nullptr)();  // which shows the available list, read again or not
}

// A copy of MenuExt taken before the close is logged, so that Restore knows it for one.
void Program::StopReading() {
  if (!read_) return;
  read_.reset();
  MSG msg;
  while (main_.Handle() && PeekMessageA(&msg, main_.Handle(), win::kReadBatch, win::kReadBatch, PM_REMOVE))
    delete reinterpret_cast<Batch*>(msg.lParam);
  if (main_.Handle() && PeekMessageA(&msg, main_.Handle(), win::kReadDone, win::kReadDone, PM_REMOVE)) {
    std::unique_ptr<modMain::Deferred> held(reinterpret_cast<modMain::Deferred*>(msg.lParam));
    held->messages.clear();
    held->Release();
  }
}

// A wizard loaded before (by the language refresh) did not ask for its load.
void Program::Started() {
  starting_ = false;
  const bool waits = std::exchange(wizardWaits_, false);
  if (!Wizard()) return;
  if (waits) {
    Reload(modMain::Reader::Wizard);
  } else {
    Wizard()->ShowInstalled(extensions_);
    Wizard()->ShowCatalog(extensions_);
  }
}

// While MenuExt is read in the background a load waits for nothing: the read shows the
// whole picture when it ends.
void Program::LoadInstalled(modMain::Reader reader) {
  if (Reading()) return;
  modMain::LoadInstalled(extensions_, reader);
  ShowInstalled(reader);
  // What is available depends on what is installed, whichever was read last.
  if (extensions_.CatalogCount >= 0) ShowCatalog(reader);
}

void Program::LoadCatalog(modMain::Reader reader) {
  if (Reading()) return;
  modMain::LoadCatalog(extensions_, reader);
  ShowCatalog(reader);
}

void Program::Reload(modMain::Reader reader) {
  if (starting_ || Reading()) {  // the wizard, loaded at the start: its load follows the start's
    wizardWaits_ = true;
    return;
  }
  modMain::LoadInstalled(extensions_, reader);
  ShowInstalled(reader);  // the available list follows with the catalog, read next
  modMain::DoEvents();  // the installed list paints before the catalog is read
  LoadCatalog(reader);
}

void Program::ShowInstalled(modMain::Reader reader) {
  main_.ShowInstalled(extensions_, reader);
  if (frmNIMOWizard* wizard = Wizard(); wizard && !starting_) wizard->ShowInstalled(extensions_);
}

// The wizard shows nothing before its own load: its buttons would work on a half-read list.
void Program::ShowCatalog(modMain::Reader reader) {
  main_.ShowCatalog(extensions_, reader);
  if (frmNIMOWizard* wizard = Wizard(); wizard && !starting_) wizard->ShowCatalog(extensions_);
}

frmNIMOWizard* Program::Wizard() const { return wizard_ && wizard_->Loaded() ? wizard_.get() : nullptr; }

void Program::ShowWizard() {
  if (!Wizard()) {
    wizard_ = std::make_unique<frmNIMOWizard>(*this);
    if (!wizard_->Load()) return;
  }
  wizard_->Show();
  SetForegroundWindow(wizard_->Handle());
  UpdateWindow(wizard_->Handle());
}

modLang::LangWindow* Program::LoadWizardHidden() {
  wizard_ = std::make_unique<frmNIMOWizard>(*this);
  return wizard_->Load() ? wizard_.get() : nullptr;
}

void Program::WizardFinished(bool toClassic) {
  if (toClassic) main_.ShowClassic();
  else main_.Unload();  // every window closes and the program ends
}

void Program::WizardClosed() {
  if (main_.Handle()) PostMessageA(main_.Handle(), win::kWizardClosed, 0, 0);
}

void Program::DropClosedWizard() {
  if (wizard_ && !wizard_->Loaded()) wizard_.reset();
}

void Program::CloseWizard() {
  if (frmNIMOWizard* wizard = Wizard()) wizard->Close();
}
