#include "platform/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstring>

namespace ui {
namespace {

// The texts of Qt's dialogs that Qt's Italian catalogue leaves in English (or, "Computer", in a
// word the program does not use), by their context and English text.
struct QtText {
  const char* context;
  const char* english;
  const char16_t* italian;  // UTF-16: the program's narrow texts are Windows-1252
};

constexpr QtText kQtTexts[] = {
    {"QFileSystemModel", "Computer", u"Risorse del computer"},
    {"QAbstractFileIconProvider", "Drive", u"Unità"},
    {"QAbstractFileIconProvider", "Folder", u"Cartella"},
    {"QPrintPropertiesWidget", "Advanced", u"Avanzate"},
    {"QPrintPropertiesWidget", "There are conflicts in some options. Please fix them.",
     u"Alcune opzioni sono in conflitto. Correggerle."},
    {"QPrintPropertiesDialog", "Page Setup Conflicts", u"Conflitti nell'impostazione della pagina"},
    {"QPrintPropertiesDialog", "There are conflicts in page setup options. Do you want to fix them?",
     u"Alcune opzioni dell'impostazione della pagina sono in conflitto. Correggerle?"},
    {"QPrintPropertiesDialog", "Advanced Option Conflicts", u"Conflitti nelle opzioni avanzate"},
    {"QPrintPropertiesDialog", "There are conflicts in some advanced options. Do you want to fix them?",
     u"Alcune opzioni avanzate sono in conflitto. Correggerle?"},
    {"QPrintSettingsOutput", "Pages", u"Pagine"},
    {"QPrintSettingsOutput",
     "Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. "
     "E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.",
     u"Indicare pagine o intervalli separati da virgole; un intervallo è dato da due numeri separati da un "
     u"trattino. Ad es.: 3,5-7,9 stampa le pagine 3, 5, 6, 7 e 9."},
    {"QPrintSettingsOutput", "Double Sided Printing", u"Stampa fronte/retro"},
    {"QPrintSettingsOutput", "Off", u"Disattivata"},
    {"QPrintSettingsOutput", "Long side binding", u"Rilegatura sul lato lungo"},
    {"QPrintSettingsOutput", "Short side binding", u"Rilegatura sul lato corto"},
    {"QPrintDialog", "Invalid Pages Definition", u"Pagine indicate non valide"},
    {"QPrintDialog",
     "%1 does not follow the correct syntax. Please use ',' to separate ranges and pages, '-' to define ranges "
     "and make sure ranges do not intersect with each other.",
     u"%1 non è scritto correttamente. Separare intervalli e pagine con ',', indicare gli intervalli con '-' e "
     u"fare in modo che non si sovrappongano."},
    {"QPrintDialog", "Duplex Settings Conflicts", u"Conflitti nella stampa fronte/retro"},
    {"QPrintDialog", "There are conflicts in duplex settings. Do you want to fix them?",
     u"Le impostazioni della stampa fronte/retro sono in conflitto. Correggerle?"},
};

// Asked before Qt's catalogue: the texts above, nothing else.
class QtTextsInItalian : public QTranslator {
 public:
  using QTranslator::QTranslator;
  QString translate(const char* context, const char* sourceText, const char* /*disambiguation*/,
                    int /*n*/) const override {
    if (!context || !sourceText) return {};
    for (const QtText& text : kQtTexts)
      if (std::strcmp(text.context, context) == 0 && std::strcmp(text.english, sourceText) == 0)
        return QString::fromUtf16(text.italian);
    return {};
  }
  bool isEmpty() const override { return false; }
};

}  // namespace

bool InstallItalianTranslation(QCoreApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  auto* translator = new QTranslator(&app);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  const bool loaded = translator->load(QStringLiteral("qtbase_it"), folder) ||
                      translator->load(QStringLiteral("qtbase_it"), QStringLiteral("/usr/share/qt6/translations"));
  if (loaded)
    app.installTranslator(translator);
  else
    delete translator;
  app.installTranslator(new QtTextsInItalian(&app));  // installed last, asked first
  return loaded;
}

}  // namespace ui
