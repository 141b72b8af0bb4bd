#include "host/live/frame_words.h"

namespace dtm::live {
namespace {

bool German(std::int32_t language) { return (language & 0x3FF) == 7; }

struct Words {
  const char* upload_finished;
  const char* upload_incomplete;
  const char* download_finished;
  const char* download_incomplete;
  const char* download_write_protected;
  const char* upload_not_started;
  const char* download_not_started;
  const char* saved;
  const char* saved_over;  // after the file, when it was the data set's own
  const char* not_saved;
  const char* no_file;
  const char* loaded;
  const char* not_loaded;
  const char* close_pages;
  const char* connected;
  const char* not_connected;
  const char* already_connected;
  const char* disconnected;
  const char* not_disconnected;
  const char* not_online;
  const char* language;
  const char* language_refused;
};

const Words& WordsOf(std::int32_t language) {
  static const Words kEnglish = {
      "Upload finished: ",
      "Upload incomplete: ",
      "Download finished: ",
      "Download incomplete: ",
      "Download refused: the device is write-protected",
      "Upload not started: the DTM refused it",
      "Download not started: the DTM refused it",
      "Data set saved to ",
      ", replacing the data set's own file",
      "Data set not saved: ",
      "no file was named, and none was loaded",
      "Data set loaded from ",
      "Data set not loaded: ",
      "close every page first",
      "Device connected",
      "Device not connected",
      "Device not connected: it is connected already",
      "Device disconnected",
      "Device not disconnected: the DTM refused to let it go",
      "Device not disconnected: no device is connected",
      "Language: English",
      "Language not changed: the DTM refused it",
  };
  static const Words kGerman = {
      "Lesen aus dem Gerät beendet: ",
      "Lesen aus dem Gerät unvollständig: ",
      "Schreiben in das Gerät beendet: ",
      "Schreiben in das Gerät unvollständig: ",
      "Schreiben in das Gerät abgelehnt: das Gerät ist schreibgeschützt",
      "Lesen aus dem Gerät nicht begonnen: der DTM hat es abgelehnt",
      "Schreiben in das Gerät nicht begonnen: der DTM hat es abgelehnt",
      "Datensatz gespeichert in ",
      "; die bisherige Datei des Datensatzes ist ersetzt",
      "Datensatz nicht gespeichert: ",
      "keine Datei genannt, und keine wurde geladen",
      "Datensatz geladen aus ",
      "Datensatz nicht geladen: ",
      "zuerst alle Seiten schließen",
      "Gerät verbunden",
      "Gerät nicht verbunden",
      "Gerät nicht verbunden: es ist schon verbunden",
      "Gerät getrennt",
      "Gerät nicht getrennt: der DTM hat es nicht freigegeben",
      "Gerät nicht getrennt: kein Gerät ist verbunden",
      "Sprache: Deutsch",
      "Sprache nicht gewechselt: der DTM hat es abgelehnt",
  };
  return German(language) ? kGerman : kEnglish;
}

}  // namespace

Outcome TransferOutcome(const host::Listing& listing, bool download, bool ended_well,
                        bool write_protected, std::int32_t language) {
  const Words& words = WordsOf(language);
  if (download && write_protected) return {true, words.download_write_protected};
  const bool complete = ended_well && listing.AllAccepted();
  const char* head = download ? (complete ? words.download_finished : words.download_incomplete)
                              : (complete ? words.upload_finished : words.upload_incomplete);
  return {!complete, head + host::SummaryLine(listing, language)};
}

std::string TransferNotStarted(bool download, std::int32_t language) {
  const Words& words = WordsOf(language);
  return download ? words.download_not_started : words.upload_not_started;
}

std::string SavedLine(const std::filesystem::path& file, bool over_loaded, std::int32_t language) {
  const Words& words = WordsOf(language);
  return words.saved + file.string() + (over_loaded ? words.saved_over : "");
}

std::string NotSavedLine(const std::string& why, std::int32_t language) {
  const Words& words = WordsOf(language);
  return words.not_saved + (why.empty() ? std::string(words.no_file) : why);
}

std::string LoadedLine(const std::filesystem::path& file, std::int32_t language) {
  return WordsOf(language).loaded + file.string();
}

std::string NotLoadedLine(const std::string& why, std::int32_t language) {
  const Words& words = WordsOf(language);
  return words.not_loaded + (why.empty() ? std::string(words.close_pages) : why);
}

std::string EventLine(LineEvent event, std::int32_t language, const std::string& why) {
  const Words& words = WordsOf(language);
  const char* line = "";
  switch (event) {
    case LineEvent::kConnected: line = words.connected; break;
    case LineEvent::kNotConnected: line = words.not_connected; break;
    case LineEvent::kAlreadyConnected: line = words.already_connected; break;
    case LineEvent::kDisconnected: line = words.disconnected; break;
    case LineEvent::kNotDisconnected: line = words.not_disconnected; break;
    case LineEvent::kNotOnline: line = words.not_online; break;
    case LineEvent::kLanguage: line = words.language; break;
    case LineEvent::kLanguageRefused: line = words.language_refused; break;
  }
  return why.empty() ? std::string(line) : std::string(line) + ": " + why;
}

}  // namespace dtm::live
