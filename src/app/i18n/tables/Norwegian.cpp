#include "BuildConfig.h"
#include "app/i18n/LanguageTable.h"

namespace {

// The Norwegian texts, by id in the English table's order. Ids 51 and 52 are
// absent and keep the English text.
const LanguageEntry kEntries[] = {
    {0, "Installering"},
    {1, "Tilpasset"},
    {2, "Godta"},
    {3, "Lisensavtale for brukere"},
    {4, "Opprett en snarvei på skrivebordet"},
    {5, "Opprett en snarvei på Start-menyen"},
    {6, "Kjør automatisk ved systemoppstart"},
    {7, "Bli med"},
    {8, "Program for forbedring av brukeropplevelsen"},
    {9, "Start __PRODUCT_NAME__"},
    {10, "Er du sikker på at du vil avslutte installasjonen av __PRODUCT_NAME__?"},
    {11, "OK"},
    {12, "Avbryt"},
    {13, "Installasjonen kan ikke fortsette fordi __PRODUCT_NAME__ allerede kjører. Lukk programmet og prøv igjen, eller tving det til å lukkes."},
    {14, "Prøv igjen"},
    {15, "Tving lukking"},
    {16, "Opprett et hurtigstartikon"},
    {17, "Velg en mappe fra listen nedenfor, og klikk deretter OK."},
    {18, "Nyheter"},
    {19, "Ja"},
    {20, "Nei"},
    {21, "Installerer..."},
    {22, "Er du sikker på at du vil avinstallere?"},
    {23, "Avinstaller"},
    {24, "Behold mine personlige innstillinger."},
    {25, "Avinstallerer..."},
    {26, "Avinstallasjonen er fullført! Takk for støtten!"},
    {27, "Fullfør"},
    {28, "Windows XP støttes ikke lenger."},
    {29, "Windows Vista støttes ikke lenger."},
    {30, "__PRODUCT_NAME__ støtter ikke operativsystemet ditt."},
    {31, "Installasjonsbanen er ugyldig."},
    {32, "Det er ikke nok ledig plass på den valgte stasjonen."},
    {33, "Beklager! Denne versjonen av __PRODUCT_NAME__ fungerer bare på 64-biters operativsystemer. Last ned og installer 32-biters versjonen."},
    {34, "__PRODUCT_NAME__ fungerer foreløpig bare på 64-biters Windows."},
    {35, "Avinstaller"},
    {36, "Avinstaller programmet"},
    {37, "Program"},
    {38, "Online"},
    {39, "Hjemmeside"},
    {40, "Du må starte datamaskinen på nytt for å installere den nye versjonen. Er du sikker på at du vil fortsette?"},
    {41, "Start på nytt nå"},
    {42, "Nedlastingen mislyktes. Prøv igjen, eller last ned det frakoblede installasjonsprogrammet fra " MSS_WEB_HOST_LITERAL "."},
    {43, "Det nettbaserte installasjonsprogrammet er utdatert. Last ned den nyeste versjonen fra " MSS_WEB_HOST_LITERAL "."},
    {44, "Laster ned..."},
    {45, "Kontrollerer data, vent litt..."},
    {46, "Henter nedlastingsinformasjon..."},
    {47, "__PRODUCT_NAME__ Online"},
    {48, "Avinstaller __PRODUCT_NAME__"},
    {49, "Start"},
    {50, "Installasjonen starter automatisk om XXX sekunder."},
};

}  // namespace

MSS_LANGUAGE_TABLE(kNorwegianTable, kEntries);
