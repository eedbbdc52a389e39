#include "app/Program.h"

#include <atomic>
#include <thread>
#include <utility>

#include "app/frmNIMOWizard.h"
#include "log/Deferral.h"
#include "operations/RegFile.h"
#include "operations/modOperations.h"
#include "settings/modSettings.h"
#include "win/Messages.h"
#include "win/Seam.h"

namespace {
// The main window's read of MenuExt and the copy of it that "Always backup MenuExt key"
// asks for, made from what the read gives as it goes, then written.
class CopyAsRead {
 public:
  CopyAsRead() : keep_(modSettings::Setting("Settings", "RMEK_Backup", "1") == "1") {}
  modMain::KeyDelivery Delivery() {
    if (!keep_) return {};
    return [this](const modReg::RegFileKey& key) { copy_.Add(key); };
  }
  void Write() const { modMain::BackUpMenuExtAsRead(keep_ ? &copy_ : nullptr); }

 private:
  bool keep_;
  modReg::RegFileCopy copy_;
};
}  // namespace

struct Program::Batch {
  std::vector<modMain::InstalledExtension> entries;
  long total = 0;
  bool last = false;
};

// The thread that reads MenuExt and posts what it read to a window, batch by batch, then,
// with backUp, writes the copy of MenuExt its setting asks for from what it read. It
// touches no window but by PostMessage: its log lines and messages are held (Deferred)
// and posted with its end.
class Program::ReadThread {
 public:
  ReadThread(HWND to, bool backUp) : thread_([this, to, backUp] { Run(to, backUp); }) {}
  ~ReadThread() {
    stop_ = true;
    thread_.join();
  }
  ReadThread(const ReadThread&) = delete;
  ReadThread& operator=(const ReadThread&) = delete;

 private:
  void Run(HWND to, bool backUp) {
    auto held = std::make_unique<modMain::Deferred>();
    {
      modMain::DeferHere here(*held);
      CopyAsRead copy;
      const bool whole = modMain::ReadInstalled(
          [&](std::vector<modMain::InstalledExtension>&& entries, long total, bool last) {
            if (stop_) return false;
            auto batch = std::make_unique<Batch>(Batch{std::move(entries), total, last});
            if (!PostMessageA(to, win::kReadBatch, 0, reinterpret_cast<LPARAM>(batch.get()))) return false;
            batch.release();  // the window owns it now
            if (!last) win::Ui().BetweenBatches();
            return !stop_;
          },
          backUp ? copy.Delivery() : modMain::KeyDelivery());
      if (whole && !stop_ && backUp) {
        win::Ui().BetweenBatches();
        copy.Write();
      }
    }
    if (PostMessageA(to, win::kReadDone, 0, reinterpret_cast<LPARAM>(held.get()))) held.release();
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;  // last: it starts once the rest is made
};

Program::Program() = default;

ProgramCalls Program::Calls() {
  ProgramCalls calls;
  calls.extensions = [this]() -> const modMain::Extensions& { return extensions_; };
  calls.loadInstalled = [this](modMain::Reader reader) { LoadInstalled(reader); };
  calls.loadCatalog = [this](modMain::Reader reader) { LoadCatalog(reader); };
  calls.reload = [this](modMain::Reader reader) { Reload(reader); };
  calls.readInBackground = [this](std::function<void()> then) { ReadInstalledInBackground(std::move(then)); };
  calls.reading = [this] { return Reading(); };
  calls.takeBatch = [this](LPARAM batch) { TakeBatch(batch); };
  calls.takeEnd = [this](LPARAM held) { TakeEnd(held); };
  calls.stopReading = [this] { StopReading(); };
  calls.starting = [this] { Starting(); };
  calls.started = [this] { Started(); };
  calls.wizard = [this] { return Wizard(); };
  calls.showWizard = [this] { ShowWizard(); };
  calls.loadWizardHidden = [this] { return LoadWizardHidden(); };
  calls.wizardFinished = [this](bool toClassic) { WizardFinished(toClassic); };
  calls.wizardClosed = [this] { WizardClosed(); };
  calls.dropClosedWizard = [this] { DropClosedWizard(); };
  calls.closeWizard = [this] { CloseWizard(); };
  return calls;
}

Program::~Program() { StopReading(); }

void Program::ReadInstalledInBackground(std::function<void()> then, modMain::Reader reader) {
  StopReading();
  then_ = std::move(then);
  reader_ = reader;
  extensions_.Installed.clear();
  main_.ShowReadStart();
  read_ = std::make_unique<ReadThread>(main_.Handle(), reader == modMain::Reader::Main);
}

void Program::TakeBatch(LPARAM message) {
  std::unique_ptr<Batch> batch(reinterpret_cast<Batch*>(message));
  if (!read_) return;  // from a read that was ended
  modMain::LogExtracted(batch->entries);
  const size_t from = extensions_.Installed.size();
  modMain::TakeBatch(extensions_, std::move(batch->entries), batch->total, batch->last);
  main_.ShowBatch(extensions_, from, batch->total);
  if (frmNIMOWizard* wizard = Wizard(); wizard && !starting_) wizard->ShowBatch(extensions_, from);
  if (!batch->last) return;
  modMain::FinishInstalled(extensions_, reader_);
  main_.ShowInstalled(extensions_, reader_, true);
}

// The backup's lines follow the read's, its messages show, and then the commands work.
void Program::TakeEnd(LPARAM message) {
  std::unique_ptr<modMain::Deferred> held(reinterpret_cast<modMain::Deferred*>(message));
  if (!read_) return;
  read_.reset();  // its thread has nothing left to do
  held->Release();
  // Its buttons work on what the list shows: the whole list, once the commands may run.
  if (frmNIMOWizard* wizard = Wizard(); wizard && !starting_) wizard->ShowInstalled(extensions_);
  if (then_) std::exchange(then_, nullptr)();  // which shows the available list, read again or not
  if (const std::optional<modMain::Reader> again = std::exchange(again_, std::nullopt)) Reload(*again);
}

// A copy of MenuExt taken before the close is logged, so that Restore knows it for one.
void Program::StopReading() {
  again_.reset();
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
  const bool main = reader == modMain::Reader::Main;
  CopyAsRead copy;
  modMain::LoadInstalled(extensions_, reader, main ? copy.Delivery() : modMain::KeyDelivery());
  if (main) copy.Write();
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
  if (starting_) {  // the wizard, loaded at the start: its load follows the start's
    wizardWaits_ = true;
    return;
  }
  if (Reading()) {
    again_ = reader;
    return;
  }
  ReadInstalledInBackground([this, reader] { LoadCatalog(reader); }, reader);
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
    wizard_ = std::make_unique<frmNIMOWizard>(calls_);
    if (!wizard_->Load()) return;
  }
  wizard_->Show();
  SetForegroundWindow(wizard_->Handle());
  UpdateWindow(wizard_->Handle());
}

modLang::LangWindow* Program::LoadWizardHidden() {
  wizard_ = std::make_unique<frmNIMOWizard>(calls_);
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
