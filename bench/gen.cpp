// kolt_bench_gen DIR: fills a new data folder with the reference data of the
// benchmarks, a small electronics manufacturer's database of realistic size:
// 20,000 parts, 400 vendors, 1,000 assemblies in six levels with 30,000 bill
// lines, 3,000 routing steps, 50 labour resources and two requirements.
//
// The folder is initialised by the program's own start-up code and every row
// goes through InsertRow inside one transaction, so the data is exactly what
// the program itself would have written. A few faults are planted on purpose
// (duplicates, lines naming parts that do not exist, parts naming vendors that
// do not exist) so that the error check has something to find.
//
// The generator is deterministic: the same build always writes the same rows.
// `--scale N` writes the same rows followed by N - 1 blocks of the same size
// under new names (genscale.cpp).
#include "app/startup.h"
#include "gen.h"
#include "core/appstate.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/parameters.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

using namespace benchgen;

constexpr int kParts = 20000;
constexpr int kVendors = 400;
constexpr int kAssemblies = 1000;
constexpr int kBomLines = 30000;
constexpr int kRoutingSteps = 3000;
constexpr int kResources = 50;

// Messages of the start-up code go to standard error; questions get the safe answer.
class ConsoleInterface final : public UserInterface
{
public:
    int showMessage(const QString& text, const QString& caption, int buttons, int) override
    {
        std::fprintf(stderr, "%s%s\n", caption.isEmpty() ? "" : qPrintable(caption + QStringLiteral(": ")),
                     qPrintable(text));
        return buttons == kButtonsOk ? kAnswerOk : SafeAnswer(buttons);
    }
    void progressOpen(const QString&, int, int) override {}
    void progressCaption(const QString&) override {}
    void progressRange(int, int) override {}
    void progressPosition(int) override {}
    void progressClose() override {}
};
const char* const kCities[][4] = {
    {"San Jose", "CA", "95134", "USA"},      {"Austin", "TX", "78701", "USA"},
    {"Boston", "MA", "02110", "USA"},        {"Chicago", "IL", "60601", "USA"},
    {"Thief River Falls", "MN", "56701", "USA"}, {"Mansfield", "TX", "76063", "USA"},
    {"Phoenix", "AZ", "85034", "USA"},       {"Toronto", "ON", "M5V 2T6", "CANADA"},
    {"Munich", "BY", "80331", "GERMANY"},    {"Leeds", "WYK", "LS12 2QQ", "UK"},
    {"Lyon", "ARA", "69002", "FRANCE"},      {"Kyoto", "KYT", "600-8216", "JAPAN"},
    {"Shenzhen", "GD", "518000", "CHINA"},   {"Taipei", "TPE", "105", "TAIWAN"},
    {"Portland", "OR", "97201", "USA"},      {"Raleigh", "NC", "27601", "USA"},
};

Vendors writeVendors(Rng& rng, int& count)
{
    Vendors v;
    v.distributors = {"DIGIKEY", "MOUSER", "ARROW", "AVNET", "FARNELL", "NEWARK", "TTI", "FUTURE ELECTRONICS",
                      "RS COMPONENTS", "RUTRONIK", "LCSC", "SAMTEC DIRECT", "ALLIED ELECTRONICS", "MASTER ELECTRONICS",
                      "SOURCENGINE"};
    v.suppliers = {"BRAUN INDUSTRIAL SUPPLY", "MCMASTER-CARR", "GRAINGER", "FASTENAL"};
    v.makersByKind.resize(KindCount);
    v.makersByKind[Resistor] = {"YAGEO", "VISHAY DALE", "PANASONIC", "KOA SPEER", "BOURNS", "STACKPOLE"};
    v.makersByKind[Capacitor] = {"MURATA", "SAMSUNG ELECTRO-MECHANICS", "TDK", "KEMET", "KYOCERA AVX", "TAIYO YUDEN"};
    v.makersByKind[Ic] = {"TEXAS INSTRUMENTS", "STMICROELECTRONICS", "NXP", "MICROCHIP", "ANALOG DEVICES",
                          "ONSEMI", "INFINEON", "RENESAS", "MAXIM INTEGRATED", "NORDIC SEMICONDUCTOR"};
    v.makersByKind[Connector] = {"MOLEX", "TE CONNECTIVITY", "AMPHENOL", "JST", "HIROSE", "SAMTEC",
                                 "WURTH ELEKTRONIK", "PHOENIX CONTACT", "GCT"};
    v.makersByKind[Diode] = {"NEXPERIA", "DIODES INC", "VISHAY GENERAL SEMICONDUCTOR", "LITTELFUSE", "ROHM"};
    v.makersByKind[Transistor] = {"NEXPERIA", "ONSEMI", "INFINEON", "VISHAY SILICONIX", "ROHM"};
    v.makersByKind[Inductor] = {"COILCRAFT", "WURTH ELEKTRONIK", "BOURNS", "TDK", "SUMIDA"};
    v.makersByKind[Led] = {"KINGBRIGHT", "LITE-ON", "OSRAM", "CREE", "BROADCOM"};
    v.makersByKind[Crystal] = {"ABRACON", "ECS", "EPSON", "TXC", "NDK"};
    v.makersByKind[Cable] = {"MOLEX", "TE CONNECTIVITY", "AMPHENOL", "ALPHA WIRE", "BELDEN"};
    v.makersByKind[Pcb] = {"SIERRA CIRCUITS", "PCBWAY", "ADVANCED CIRCUITS", "EUROCIRCUITS"};
    v.makersByKind[Hardware] = {"KEYSTONE", "PENN ENGINEERING", "HARWIN", "BOSSARD", "WURTH ELEKTRONIK"};
    v.makersByKind[Packaging] = {"ULINE", "PACKAGING CORP", "SEALED AIR"};
    v.services = {"PRECISION SHEET METAL", "VALLEY ANODIZING", "CITY POWDER COAT", "METRO CALIBRATION LAB",
                  "CONTRACT ASSEMBLY SERVICES", "NORTHSIDE CNC"};

    QSet<QString> seen;
    auto add = [&](const QString& name, const QString& type) {
        if (seen.contains(name))
            return;
        seen.insert(name);
        v.all << name;
        const auto* city = kCities[rng.below(static_cast<int>(std::size(kCities)))];
        QString domain = name.toLower();
        domain.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
        Record(VendList)
            .set("Vendor", name)
            .set("Type", type)
            .set("Address", Format("%i %s", {rng.between(1, 9800), rng.pick(QStringList{"Main St", "Industrial Pkwy", "Commerce Dr", "Technology Way", "Harbor Blvd", "Elm Ave"})}))
            .set("City", QString::fromLatin1(city[0]))
            .set("State", QString::fromLatin1(city[1]))
            .set("Zip", QString::fromLatin1(city[2]))
            .set("Country", QString::fromLatin1(city[3]))
            .set("Phone", Format("+1 %03i-%03i-%04i", {rng.between(201, 989), rng.between(200, 999), rng.below(10000)}))
            .set("Fax", Format("+1 %03i-%03i-%04i", {rng.between(201, 989), rng.between(200, 999), rng.below(10000)}))
            .set("Website", QStringLiteral("www.") + domain + QStringLiteral(".com"))
            .set("Contact", rng.pick(QStringList{"Anna Schmidt", "John Miller", "Li Wei", "Maria Garcia", "Pierre Dubois", "Sarah O'Brien", "Kenji Sato"}))
            .set("EMail", QStringLiteral("sales@") + domain + QStringLiteral(".com"))
            .set("Account_nBr", Format("AC-%06i", {rng.below(1000000)}))
            .set("Terms", rng.pick(QStringList{"Net 30", "Net 60", "Prepaid", "Credit Card"}))
            .set("Currency", QLatin1String(city[3]) == QLatin1String("GERMANY") || QLatin1String(city[3]) == QLatin1String("FRANCE") ? QStringLiteral("EUR") : QStringLiteral("USD"))
            .insert(count);
    };
    for (const QString& d : v.distributors + v.suppliers)
        add(d, QStringLiteral("Distributor"));
    for (const QStringList& makers : v.makersByKind)
        for (const QString& m : makers)
            add(m, QStringLiteral("Manufacturer"));
    for (const QString& s : v.services)
        add(s, QStringLiteral("Service"));
    // The rest: the long tail of small local suppliers.
    const QStringList first = {"ACME", "ALPINE", "ATLAS", "BAYSIDE", "BLUE RIDGE", "CASCADE", "CENTURY", "COASTAL",
                               "CRESCENT", "DELTA", "EAGLE", "EMPIRE", "FRONTIER", "GOLDEN STATE", "GRANITE",
                               "HERITAGE", "HORIZON", "KEYSTONE VALLEY", "LIBERTY", "MERIDIAN", "MIDWEST", "NORTHERN",
                               "PACIFIC", "PIONEER", "PRAIRIE", "RIVERSIDE", "SUMMIT", "TRI-STATE", "UNITED", "VANGUARD"};
    const QStringList second = {"FASTENERS", "PLASTICS", "WIRE & CABLE", "MACHINING", "PACKAGING", "ELECTRONICS",
                                "LABELS", "METALS", "TOOLING", "COATINGS", "SUPPLY", "COMPONENTS", "FREIGHT"};
    const QStringList third = {"INC", "LLC", "CO", "CORP", "LTD", "GMBH"};
    while (v.all.size() < kVendors - 2)
        add(rng.pick(first) + QLatin1Char(' ') + rng.pick(second) + QLatin1Char(' ') + rng.pick(third),
            QStringLiteral("Service"));
    // Two vendors entered twice: the error check marks them.
    for (int k = 0; k < 2; ++k)
        Record(VendList).set("Vendor", v.all[5 + k * 40]).set("Type", "Distributor").insert(count);
    return v;
}

const char* const kE12[] = {"10", "12", "15", "18", "22", "27", "33", "39", "47", "56", "68", "82"};
const char* const kE24Extra[] = {"11", "13", "16", "20", "24", "30", "36", "43", "51", "62", "75", "91"};

// "4K7"-style value codes: digits with the multiplier letter in place of the point.
QString valueCode(const QString& mantissa, int decade, const char* const units[], int unitCount)
{
    // decade 0: 1.0-9.1, 1: 10-91, 2: 100-910, then the next unit.
    const int unit = decade / 3;
    const int within = decade % 3;
    if (unit >= unitCount)
        return {};
    const QString u = QString::fromLatin1(units[unit]);
    if (within == 0)
        return mantissa.left(1) + u + (mantissa.mid(1) == QLatin1String("0") ? QString() : mantissa.mid(1));
    if (within == 1)
        return mantissa + u;
    return mantissa + QStringLiteral("0") + u;
}

void makeResistors(PartMaker& m, Rng& rng, int quota)
{
    const char* const units[] = {"R", "K", "M"};
    const QStringList sizes = {"0402", "0603", "0805", "1206", "2512"};
    const QStringList watts = {"1/16W", "1/10W", "1/8W", "1/4W", "1W"};
    const QStringList tolerances = {"1%", "5%", "0.1%"};
    const int target = m.size() + quota;
    while (m.size() < target) {
        const int s = rng.below(static_cast<int>(sizes.size()));
        const QString mantissa = QString::fromLatin1(rng.chance(50) ? kE12[rng.below(12)] : kE24Extra[rng.below(12)]);
        const QString value = valueCode(mantissa, rng.below(7), units, 3);
        const QString tol = tolerances[rng.below(3)];
        // Thin-film, automotive and high-power versions of the same value are
        // separate parts.
        const QString series = rng.pick(QStringList{"", "", "-THIN", "-AEC", "-HP"});
        const QString number = Format("RES-%s-%s-%s%s", {sizes[s], value, tol, series});
        m.buy(Resistor, number, "RESISTOR",
              Format("RES SMD %s OHM %s %s %s%s", {value, tol, watts[s], sizes[s],
                                                   series.isEmpty() ? QString() : QLatin1Char(' ') + series.mid(1)}),
              rng.real(0.004, 0.12), "R", 8);
    }
}

void makeCapacitors(PartMaker& m, Rng& rng, int quota)
{
    const char* const units[] = {"P", "N", "U"};
    const QStringList sizes = {"0402", "0603", "0805", "1206", "1210"};
    const QStringList dielectrics = {"C0G", "X7R", "X5R"};
    const QStringList volts = {"10V", "16V", "25V", "50V", "100V"};
    const int target = m.size() + quota;
    while (m.size() < target) {
        const QString size = rng.pick(sizes);
        const QString value = valueCode(QString::fromLatin1(kE12[rng.below(12)]), rng.below(9), units, 3);
        const QString dielectric = rng.pick(dielectrics);
        const QString volt = rng.pick(volts);
        m.buy(Capacitor, Format("CAP-%s-%s-%s-%s", {size, value, dielectric, volt}), "CAPACITOR",
              Format("CAP CER %sF %s %s %s", {value, volt, dielectric, size}), rng.real(0.008, 0.9), "C", 12);
    }
}

void makeIcs(PartMaker& m, Rng& rng, int quota)
{
    const QStringList known = {
        "STM32F103C8T6", "STM32F407VGT6", "STM32G071RBT6", "STM32L432KCU6", "ATMEGA328P-AU", "ATSAMD21G18A-AU",
        "PIC18F46K22-I/PT", "MCP2551-I/SN", "MCP23017-E/SS", "LM358DR", "LM317DCYR", "NE555DR", "TPS62130RGTR",
        "TPS54331DR", "TLV1117-33IDCYR", "AMS1117-3.3", "MAX3232ESE+", "MAX485ESA+", "ADS1115IDGSR", "INA219AIDCNR",
        "LM75BD", "24LC256-I/SN", "W25Q128JVSIQ", "ESP32-WROOM-32E", "NRF52832-QFAA", "CH340G", "FT232RL",
        "SN65HVD230DR", "TXB0108PWR", "74HC595D", "74LVC1G08GW", "DRV8825PWPR", "AD8605ARTZ", "OPA2340UA",
        "LMV321IDBVR", "REF3033AIDBZR", "BQ24075RGTR", "LP2985-33DBVR", "TPD4E05U06DQAR", "USBLC6-2SC6"};
    for (const QString& mpn : known)
        m.buy(Ic, QStringLiteral("IC-") + mpn, "IC", QStringLiteral("IC ") + mpn, rng.real(0.2, 9.5), "U", 2);
    const QStringList families = {"SN74HC%03iD", "SN74LVC%03iPWR", "LM%04iDR", "TPS%05iDRVR", "MAX%04iESA+",
                                  "AD%04iARZ", "MCP%04i-I/SN", "OPA%04iAIDR", "TLV%04iIDBVR", "LT%04iCS8",
                                  "STM32F%03iC8T6", "PIC16F%04i-I/SO", "ISL%05iIRZ", "NCP%04iMNR2G"};
    const QStringList packages = {"SOIC-8", "TSSOP-14", "QFN-24", "SOT-23-5", "LQFP-48", "QFN-32"};
    const int target = m.size() + quota - static_cast<int>(known.size());
    while (m.size() < target) {
        const QString mpn = Format(qPrintable(rng.pick(families)), {rng.between(1, 9999)});
        m.buy(Ic, QStringLiteral("IC-") + mpn, "IC", Format("IC %s %s", {mpn, rng.pick(packages)}),
              rng.real(0.15, 14.0), "U", 2);
    }
}

void makeConnectors(PartMaker& m, Rng& rng, int quota)
{
    m.buy(Connector, "CON-USB-C-16P", "CONNECTOR", "CONN USB TYPE-C RCPT 16POS SMD", 0.62, "J", 1);
    m.buy(Connector, "CON-USB-MICRO-B", "CONNECTOR", "CONN USB MICRO B RCPT SMD", 0.38, "J", 1);
    m.buy(Connector, "CON-RJ45-8P8C-MAG", "CONNECTOR", "CONN RJ45 8P8C WITH MAGNETICS", 3.10, "J", 1);
    const int target = m.size() + quota - 3;
    while (m.size() < target) {
        const int pins = rng.between(2, 40);
        QString number;
        QString description;
        switch (rng.below(5)) {
        case 0:
            number = Format("CON-HDR-%iX%02i-2.54", {1 + rng.below(2), pins});
            description = Format("CONN HEADER %i POS 2.54MM VERT", {pins});
            break;
        case 1:
            number = Format("CON-JST-PH-%iP-%s", {pins % 16 + 2, rng.chance(50) ? "RA" : "VT"});
            description = Format("CONN JST PH %i POS 2.0MM", {pins % 16 + 2});
            break;
        case 2:
            number = Format("CON-TERM-%iP-5.08-%c", {pins % 12 + 2, static_cast<int>('A' + rng.below(6))});
            description = Format("TERMINAL BLOCK %i POS 5.08MM", {pins % 12 + 2});
            break;
        case 3:
            number = Format("CON-MOLEX-MF-%iP-%i", {pins % 24 + 2, rng.between(1, 99)});
            description = Format("CONN MICRO-FIT 3.0 %i POS", {pins % 24 + 2});
            break;
        default:
            number = Format("CON-FPC-%iP-0.5-%i", {pins + 4, rng.between(1, 99)});
            description = Format("CONN FFC/FPC %i POS 0.5MM", {pins + 4});
        }
        m.buy(Connector, number, "CONNECTOR", description, rng.real(0.1, 6.0), "J", 1);
    }
}

void makeSmallParts(PartMaker& m, Rng& rng, PartKind kind, int quota)
{
    const int target = m.size() + quota;
    while (m.size() < target) {
        switch (kind) {
        case Diode: {
            const QStringList zener = {"2V7", "3V3", "3V9", "4V7", "5V1", "6V2", "9V1", "12V", "15V", "24V"};
            const int choice = rng.below(3);
            if (choice == 0)
                m.buy(kind, Format("DIO-BZX84C%s-%i", {rng.pick(zener), rng.between(1, 99)}), "DIODE",
                      "DIODE ZENER SOT-23", rng.real(0.02, 0.2), "D", 2);
            else if (choice == 1)
                m.buy(kind, Format("DIO-SMBJ%iA-%i", {rng.between(5, 58), rng.between(1, 99)}), "DIODE",
                      "TVS DIODE SMB", rng.real(0.1, 0.6), "D", 2);
            else
                m.buy(kind, Format("DIO-SS%i%i-%i", {rng.between(1, 5), rng.between(2, 6), rng.between(1, 99)}),
                      "DIODE", "DIODE SCHOTTKY SMA", rng.real(0.05, 0.4), "D", 4);
            break;
        }
        case Transistor: {
            const QStringList bases = {"BSS138", "MMBT3904", "MMBT3906", "IRLML6344", "AO3400A", "2N7002", "DMG2305UX",
                                       "BC847C", "SI2302CDS"};
            m.buy(kind, Format("TRN-%s-%i", {rng.pick(bases), rng.between(1, 999)}), "TRANSISTOR",
                  "TRANSISTOR SOT-23", rng.real(0.03, 0.5), "Q", 4);
            break;
        }
        case Inductor: {
            const QStringList values = {"1U0", "2U2", "4U7", "10U", "22U", "47U", "100U"};
            const QString value = rng.pick(values);
            m.buy(kind, Format("IND-%s-%sH-%iA%i", {rng.pick(QStringList{"0805", "1210", "4X4", "6X6", "10X10"}),
                                                  value, rng.between(1, 8), rng.below(10)}),
                  "INDUCTOR", Format("INDUCTOR %sH SHIELDED", {value}), rng.real(0.05, 1.8), "L", 2);
            break;
        }
        case Led: {
            const QString colour = rng.pick(QStringList{"RED", "GREEN", "BLUE", "YELLOW", "WHITE", "AMBER", "RGB"});
            m.buy(kind, Format("LED-%s-%s-%i", {rng.pick(QStringList{"0402", "0603", "0805", "3MM", "5MM"}), colour,
                                                rng.between(1, 99)}),
                  "LED", QStringLiteral("LED ") + colour, rng.real(0.02, 0.4), "D", 4);
            break;
        }
        case Crystal: {
            const QString mhz = rng.pick(QStringList{"8", "12", "16", "24", "25", "32.768K", "48"});
            m.buy(kind, Format("XTL-%sMHZ-%iPF-%i", {mhz, rng.pick(std::vector<int>{8, 10, 12, 18, 20}),
                                                      rng.between(1, 99)}),
                  "CRYSTAL", Format("CRYSTAL %s MHZ SMD", {mhz}), rng.real(0.15, 0.9), "Y", 1);
            break;
        }
        case Cable: {
            const int kindOfCable = rng.below(3);
            if (kindOfCable == 0)
                m.buy(kind, Format("CBL-USB-A-C-%iM-%i", {rng.between(1, 3), rng.between(1, 99)}), "CABLE ASSEMBLY",
                      "CABLE ASSEMBLY USB A TO C", rng.real(1.5, 7.0), "W", 1);
            else if (kindOfCable == 1)
                m.buy(kind, Format("CBL-RIBBON-%iP-%iMM", {rng.pick(std::vector<int>{10, 14, 16, 20, 26, 34, 40}),
                                                          rng.between(5, 120) * 10}),
                      "CABLE ASSEMBLY", "CABLE ASSEMBLY FLAT RIBBON IDC", rng.real(0.8, 4.0), "W", 1);
            else
                m.buy(kind, Format("CBL-HARNESS-%05i", {rng.below(100000)}), "CABLE ASSEMBLY",
                      "WIRE HARNESS CUSTOM", rng.real(3.0, 35.0), "W", 1);
            break;
        }
        case Pcb:
            m.buy(kind, Format("PCB-%05i-REV%c", {rng.below(100000), static_cast<int>('A' + rng.below(5))}), "PCB",
                  Format("PCB BARE BOARD %i LAYER FR4", {rng.pick(std::vector<int>{2, 4, 6})}), rng.real(1.2, 28.0),
                  QString(), 1);
            break;
        case Hardware: {
            const int size = rng.pick(std::vector<int>{2, 3, 4, 5, 6});
            const int length = rng.pick(std::vector<int>{4, 5, 6, 8, 10, 12, 16, 20, 25});
            switch (rng.below(4)) {
            case 0:
                m.buy(kind, Format("HW-SCREW-M%i-X%i-%s", {size, length, rng.pick(QStringList{"SS", "ZN", "BLK", "NY"})}),
                      "HARDWARE", Format("SCREW PAN HEAD M%i X %iMM", {size, length}), rng.real(0.02, 0.3), QString(), 8);
                break;
            case 1:
                m.buy(kind, Format("HW-NUT-M%i-%s-%i", {size, rng.pick(QStringList{"SS", "ZN", "NYLOC"}), rng.below(100)}),
                      "HARDWARE", Format("NUT HEX M%i", {size}), rng.real(0.01, 0.1), QString(), 8);
                break;
            case 2:
                m.buy(kind, Format("HW-STANDOFF-M%i-%iMM-%s", {size, length, rng.pick(QStringList{"FF", "MF", "NY"})}),
                      "HARDWARE", Format("STANDOFF HEX M%i %iMM", {size, length}), rng.real(0.08, 0.6), QString(), 4);
                break;
            default:
                m.buy(kind, Format("HW-WASHER-M%i-%s-%i", {size, rng.pick(QStringList{"FLAT", "SPLIT", "STAR"}), rng.below(100)}),
                      "HARDWARE", Format("WASHER M%i", {size}), rng.real(0.01, 0.05), QString(), 8);
            }
            break;
        }
        default:
            m.buy(kind, Format("PKG-%s-%04i", {rng.pick(QStringList{"BOX", "FOAM", "BAG-ESD", "LABEL", "MANUAL"}),
                                               rng.below(10000)}),
                  "PACKAGING", "PACKAGING MATERIAL", rng.real(0.05, 2.5), QString(), 1);
        }
    }
}

int generate(const QString& folder, int scale)
{
    Rng rng(20260115);
    int vendors = 0, parts = 0, lines = 0, steps = 0, resources = 0, requirements = 0;
    Transaction tx;
    if (!tx.active()) {
        std::fprintf(stderr, "kolt_bench_gen: cannot open %s\n", qPrintable(DatabasePath()));
        return 1;
    }
    SetParam(ParamCompanyName, QStringLiteral("NORTHWIND INSTRUMENTS"));
    SetParam(ParamBillingAddress, QStringLiteral("400 Harbor Blvd/Suite 12/Portland, OR 97201"));
    SetParam(ParamShippingAddress, QStringLiteral("Receiving Dock 3/400 Harbor Blvd/Portland, OR 97201"));
    SetParam(ParamPhone, QStringLiteral("+1 503-555-0142"));
    SetParam(ParamFax, QStringLiteral("+1 503-555-0143"));
    SetParam(ParamCurrency, QStringLiteral("USD"));
    SetParam(ParamLastRequirement, QStringLiteral("2"));

    const Vendors vendorSet = writeVendors(rng, vendors);

    // Labour resources.
    const QStringList resourceNames = {"SMT LINE", "HAND SOLDER", "WAVE SOLDER", "AOI", "ICT TEST", "FUNCTIONAL TEST",
                                       "FINAL ASSEMBLY", "PACKING", "CNC MILL", "CONFORMAL COAT", "BURN-IN",
                                       "CABLE PREP", "INSPECTION", "REWORK", "PROGRAMMING", "LABELLING", "CRIMPING"};
    QStringList labour;
    std::vector<double> rates;
    for (int r = 0; r < kResources; ++r) {
        const QString name = Format("%s %i", {resourceNames[r % resourceNames.size()], r / resourceNames.size() + 1});
        const double rate = rng.real(28, 95);
        labour << name;
        rates.push_back(rate);
        Record(LabrList)
            .set("Department", rng.pick(QStringList{"Assembly", "Test", "Machining", "Inspection", "Packing"}))
            .set("Resource", name)
            .set("Rate", money(rate))
            .set("Description", resourceNames[r % resourceNames.size()].toLower())
            .insert(resources);
    }

    // Parts: 19,000 bought or machined, then 1,000 assemblies.
    PartMaker maker(rng, vendorSet, parts);
    makeResistors(maker, rng, 5200);
    makeCapacitors(maker, rng, 4800);
    makeIcs(maker, rng, 2400);
    makeConnectors(maker, rng, 1500);
    makeSmallParts(maker, rng, Diode, 900);
    makeSmallParts(maker, rng, Transistor, 700);
    makeSmallParts(maker, rng, Inductor, 600);
    makeSmallParts(maker, rng, Led, 400);
    makeSmallParts(maker, rng, Crystal, 200);
    makeSmallParts(maker, rng, Cable, 500);
    makeSmallParts(maker, rng, Pcb, 300);
    makeSmallParts(maker, rng, Hardware, 1200);
    makeSmallParts(maker, rng, Packaging, 190);
    for (int k = 0; k < 100; ++k)
        maker.make(Format("MCH-BRKT-%05i", {10000 + k * 7}), "BRACKET", "BRACKET ALUMINIUM MACHINED",
                   rng.real(4, 30));
    // Faults for the error check: parts naming vendors that do not exist, buy
    // parts without any source, and part numbers entered twice.
    for (int k = 0; k < 4; ++k)
        Record(PartList)
            .set("Part_nBr", Format("RES-0603-%iK-1%%-ALT", {k + 1}))
            .set("Description", "RES SMD ALTERNATE SOURCE")
            .set("Category", "RESISTOR")
            .set("Make", "Buy")
            .set("Manufacturer", "YAGEO")
            .set("Distributor", k % 2 ? "GLOBAL PARTS BROKER" : "SURPLUS DEPOT")
            .set("Price", "0.02")
            .insert(parts);
    for (int k = 0; k < 2; ++k)
        Record(PartList)
            .set("Part_nBr", Format("SPARE-%i", {k + 1}))
            .set("Description", "SPARE PART, SOURCE UNKNOWN")
            .set("Make", "Buy")
            .insert(parts);
    for (int k = 0; k < 3; ++k) {
        const Part& twin = maker.parts()[static_cast<size_t>(100 + k * 977)];
        Record(PartList).set("Part_nBr", twin.number).set("Description", "ENTERED TWICE").set("Make", "Buy")
            .set("Category", twin.category).insert(parts);
    }
    const int purchasedCount = maker.size();

    // Assemblies by level: a few products on top, many modules below.
    const int perLevel[kLevels] = {40, 100, 170, 230, 250, 210};
    std::vector<Assembly> assemblies;
    std::vector<std::vector<int>> byLevel(kLevels);
    for (int level = 0; level < kLevels; ++level)
        for (int k = 0; k < perLevel[level]; ++k) {
            Assembly a;
            a.level = level;
            a.name = Format("ASY-%i%04i", {level + 1, k + 1});
            byLevel[static_cast<size_t>(level)].push_back(static_cast<int>(assemblies.size()));
            assemblies.push_back(a);
        }
    while (parts + static_cast<int>(assemblies.size()) < kParts)
        makeSmallParts(maker, rng, Hardware, 1);
    for (const Assembly& a : assemblies)
        maker.make(a.name, "ASSEMBLY", rng.pick(kAssemblyKinds[a.level]), rng.real(0, 25));

    // Every assembly below the top is used by at least one parent one level
    // up; some by a second one, so a sub-assembly appears in several trees.
    int subLines = 0;
    for (int level = 1; level < kLevels; ++level)
        for (int child : byLevel[static_cast<size_t>(level)]) {
            const auto& parents = byLevel[static_cast<size_t>(level - 1)];
            const int parent = rng.pick(parents);
            assemblies[static_cast<size_t>(parent)].children.push_back(child);
            ++subLines;
            if (rng.chance(20)) {
                const int other = rng.pick(parents);
                if (other != parent) {
                    assemblies[static_cast<size_t>(other)].children.push_back(child);
                    ++subLines;
                }
            }
        }
    // Planted faults below add 6 lines: one empty part number and five
    // parts that are not in PartList.
    const int plantedLines = 6;
    int remaining = kBomLines - subLines - plantedLines;
    std::vector<int> weights;
    int weightSum = 0;
    for (size_t i = 0; i < assemblies.size(); ++i) {
        weights.push_back(rng.between(5, 55));
        weightSum += weights.back();
    }
    for (size_t i = 0; i < assemblies.size(); ++i)
        assemblies[i].componentLines = std::max(1, weights[i] * remaining / weightSum);
    int assigned = 0;
    for (const Assembly& a : assemblies)
        assigned += a.componentLines;
    for (size_t i = 0; assigned < kBomLines - subLines - plantedLines; i = (i + 1) % assemblies.size()) {
        ++assemblies[i].componentLines;
        ++assigned;
    }

    // Products and chassis are built from hardware, cables and modules; the
    // boards below them from electronic parts.
    const std::vector<Part>& bought = maker.parts();
    std::vector<int> mechanicalParts;
    std::vector<int> electronicParts;
    std::vector<int> boards;
    for (int i = 0; i < purchasedCount; ++i) {
        const QString& category = bought[static_cast<size_t>(i)].category;
        if (category == QLatin1String("PCB"))
            boards.push_back(i);
        else if (category == QLatin1String("HARDWARE") || category == QLatin1String("PACKAGING")
                 || category == QLatin1String("CABLE ASSEMBLY") || category == QLatin1String("BRACKET")
                 || category == QLatin1String("CONNECTOR"))
            mechanicalParts.push_back(i);
        else
            electronicParts.push_back(i);
    }
    for (size_t ai = 0; ai < assemblies.size(); ++ai) {
        const Assembly& a = assemblies[ai];
        QHash<QString, int> nextDesignator;
        QSet<QString> used;
        int item = 0;
        auto line = [&](const QString& part, int quantity, const QString& ref) {
            Record(AssyList)
                .set("Assy", a.name)
                .set("Item", Format("%i", {++item}))
                .set("Part_nBr", part)
                .set("Quan", Format("%i", {quantity}))
                .set("Ref_Des", ref)
                .insert(lines);
        };
        for (int child : a.children)
            line(assemblies[static_cast<size_t>(child)].name, rng.between(1, 2), QString());
        const bool board = a.level >= 2;
        int k = 0;
        if (board && a.componentLines > 1) {
            line(bought[static_cast<size_t>(rng.pick(boards))].number, 1, QString());
            ++k;
        }
        for (; k < a.componentLines; ++k) {
            const std::vector<int>& pool = board && !rng.chance(10) ? electronicParts : mechanicalParts;
            const Part* part = nullptr;
            for (int attempt = 0; attempt < 20 && !part; ++attempt) {
                const Part& candidate = bought[static_cast<size_t>(rng.pick(pool))];
                if (!used.contains(candidate.number))
                    part = &candidate;
            }
            if (!part)
                part = &bought[static_cast<size_t>(rng.pick(pool))];
            used.insert(part->number);
            const int quantity = rng.between(1, part->maxQuantity);
            int& next = nextDesignator[part->prefix];
            if (next == 0)
                next = 1;
            line(part->number, quantity, designators(part->prefix, next, quantity));
        }
    }
    // Faults for the error check on the bill of materials.
    const QString faulty = assemblies[static_cast<size_t>(byLevel[3][7])].name;
    Record(AssyList).set("Assy", faulty).set("Item", "900").set("Part_nBr", "").set("Quan", "1").insert(lines);
    for (int k = 0; k < 5; ++k)
        Record(AssyList)
            .set("Assy", assemblies[static_cast<size_t>(byLevel[4][k * 11])].name)
            .set("Item", Format("%i", {901 + k}))
            .set("Part_nBr", Format("IC-OBSOLETE-%i", {k + 1}))
            .set("Quan", "1")
            .set("Ref_Des", Format("U%i", {90 + k}))
            .insert(lines);
    // One line whose designators do not match its quantity, and two lines of one
    // assembly sharing an item number.
    Execute(SqlFormat("Update AssyList Set Quan = '5' where Assy = '%s' and Item = 2",
                      {assemblies[static_cast<size_t>(byLevel[5][3])].name}));
    Execute(SqlFormat("Update AssyList Set Item = 1 where Assy = '%s' and Item = 2",
                      {assemblies[static_cast<size_t>(byLevel[5][4])].name}));

    // Routing: three steps per assembly on average, numbered 10, 20, 30, ...
    std::vector<int> stepCount(assemblies.size(), 1);
    stepCount[17] = 2; // room for the step entered twice below
    int stepTotal = static_cast<int>(assemblies.size()) + 1;
    while (stepTotal < kRoutingSteps) {
        int& c = stepCount[static_cast<size_t>(rng.below(static_cast<int>(assemblies.size())))];
        if (c < 8) {
            ++c;
            ++stepTotal;
        }
    }
    const QStringList stepNames = {"Kit parts", "Place SMT parts", "Reflow", "Inspect solder joints",
                                   "Insert through-hole parts", "Wave solder", "Program firmware", "Test",
                                   "Mount in enclosure", "Wire harness", "Final inspection", "Pack"};
    for (size_t ai = 0; ai < assemblies.size(); ++ai)
        for (int s = 0; s < stepCount[ai]; ++s) {
            const int r = rng.below(kResources);
            const double hours = rng.between(1, 80) / 10.0;
            // One assembly has a step number entered twice.
            const int step = (ai == 17 && s == 1) ? 10 : (s + 1) * 10;
            Record(RescList)
                .set("Assy", assemblies[ai].name)
                .set("Step", Format("%i", {step}))
                .set("Description", stepNames[(s * 3 + static_cast<int>(ai)) % stepNames.size()])
                .set("Resource", labour[r])
                .set("Rate", money(rates[static_cast<size_t>(r)]))
                .set("Hours", Format("%0.1f", {hours}))
                .set("Cost", money(rates[static_cast<size_t>(r)] * hours))
                .insert(steps);
        }

    // Two requirements waiting to be processed.
    for (int k = 0; k < 2; ++k)
        Record(ReqmList)
            .set("Order_nBr", Format("REQ%0.4i", {k + 1}))
            .set("Assy", assemblies[static_cast<size_t>(k * 3)].name)
            .set("Quan", k ? "25" : "10")
            .set("Description", k ? "Spring production run" : "Customer order 4711")
            .set("Customer", k ? "STOCK" : "CONTOSO MANUFACTURING")
            .set("Created", "2026-01-15 08:30:00")
            .set("Date", "2026-01-15 08:30:00")
            .set("Status", "Created")
            .insert(requirements);

    int assemblyCount = static_cast<int>(assemblies.size());
    if (scale > 1) {
        ScaleContext context{vendorSet, labour, rates, vendors, parts, assemblyCount, lines, steps};
        ExtendToScale(scale, context);
    }

    if (!tx.commit()) {
        std::fprintf(stderr, "kolt_bench_gen: writing failed: %s\n", qPrintable(LastErrorText()));
        return 1;
    }
    std::printf("%s: %i parts, %i vendors, %i assemblies, %i BOM lines, %i routing steps, %i resources, "
                "%i requirements\n",
                qPrintable(folder), parts, vendors, assemblyCount, lines, steps, resources,
                requirements);
    return 0;
}

// A bill of materials as a CAD tool or a spreadsheet exports it, for the
// import benchmark: a header that the shipped import.def maps and `lines`
// data lines (no title line, so that the sqlite3 shell reads it too). Most part numbers are new, about one line in eight
// repeats an earlier one, and reference designators with commas are quoted.
int writeImportCsv(const QString& path, int lines)
{
    Rng rng(20261208);
    const QStringList manufacturers = {"YAGEO", "MURATA", "TDK", "KEMET", "VISHAY", "PANASONIC", "ROHM",
                                       "TEXAS INSTRUMENTS", "ANALOG DEVICES", "MICROCHIP", "STMICROELECTRONICS",
                                       "NXP", "ON SEMI", "MOLEX", "TE CONNECTIVITY", "WURTH", "AMPHENOL",
                                       "NEXPERIA", "INFINEON", "BOURNS", "KOA SPEER", "LITTELFUSE", "EPSON",
                                       "ABRACON", "HIROSE", "JST", "SAMTEC", "LITE-ON", "KINGBRIGHT", "COILCRAFT"};
    const QStringList distributors = {"DIGI-KEY", "MOUSER", "ARROW", "AVNET", "FARNELL", "RS COMPONENTS", "TME",
                                      "LCSC", "FUTURE ELECTRONICS", "NEWARK"};
    struct Kind
    {
        const char* prefix;
        const char* designator;
        const char* description;
    };
    const Kind kinds[] = {
        {"IMP-RES", "R", "RES SMD %iK OHM 1%% 1/10W 0603"},
        {"IMP-CAP", "C", "CAP CER %iNF 50V X7R 0603"},
        {"IMP-IC", "U", "IC MCU 32BIT %iKB FLASH LQFP"},
        {"IMP-CONN", "J", "CONN HEADER %i POS 2.54MM"},
        {"IMP-LED", "D", "LED GREEN 0603 SMD %iMCD"},
        {"IMP-IND", "L", "INDUCTOR %iUH 2A SMD"},
        {"IMP-SCR", "H", "SCREW M3X%i PAN HEAD"},
        {"IMP-CBL", "W", "CABLE ASSEMBLY %i MM RIBBON"},
    };
    QByteArray text = "Item,Quantity,Reference,Part Number,Description,Manufacturer,Distributor\r\n";
    std::vector<QString> numbers;
    std::vector<int> kindOf;
    int nextDesignator[std::size(kinds)] = {};
    for (int item = 1; item <= lines; ++item) {
        int k;
        QString number;
        if (!numbers.empty() && rng.chance(12)) {
            const int earlier = rng.below(static_cast<int>(numbers.size()));
            number = numbers[static_cast<size_t>(earlier)];
            k = kindOf[static_cast<size_t>(earlier)];
        } else {
            k = rng.below(static_cast<int>(std::size(kinds)));
            number = Format("%s-%06i", {kinds[k].prefix, 100000 + static_cast<int>(numbers.size()) * 7});
            numbers.push_back(number);
            kindOf.push_back(k);
        }
        const int quantity = rng.chance(70) ? 1 : rng.between(2, 4);
        QString references;
        for (int q = 0; q < quantity; ++q) {
            if (q)
                references += QLatin1Char(',');
            references += Format("%s%i", {kinds[k].designator, ++nextDesignator[k]});
        }
        if (quantity > 1)
            references = QLatin1Char('"') + references + QLatin1Char('"');
        // A few lines leave the sources empty: parts made in-house.
        const bool sourced = !rng.chance(3);
        const QString line = Format("%i,%i,%s,%s,%s,%s,%s\r\n",
                                    {item, quantity, references, number,
                                     Format(kinds[k].description, {rng.between(1, 470)}),
                                     sourced ? rng.pick(manufacturers) : QString(),
                                     sourced ? rng.pick(distributors) : QString()});
        text += line.toUtf8();
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        std::fprintf(stderr, "kolt_bench_gen: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: kolt_bench_gen DIR   (DIR must not hold a kolt.db yet)\n"
                         "       kolt_bench_gen --scale N DIR   (N times the data, N from 1 to 100; 1 is the same as DIR alone)\n"
                         "       kolt_bench_gen --empty DIR   (only initialised, no rows)\n"
                         "       kolt_bench_gen --import-csv FILE   (a 10,000-line BOM to import)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--import-csv") == 0)
        return writeImportCsv(QString::fromLocal8Bit(argv[2]), 10000);
    const bool empty = argc == 3 && std::strcmp(argv[1], "--empty") == 0;
    int scale = 1;
    if (argc == 4 && std::strcmp(argv[1], "--scale") == 0) {
        bool number = false;
        scale = QByteArray(argv[2]).toInt(&number);
        if (!number || scale < 1 || scale > 100)
            return usage();
    } else if (argc != 2 && !empty) {
        return usage();
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[argc - 1])).absolutePath();
    if (QFileInfo::exists(folder + QStringLiteral("/kolt.db"))) {
        std::fprintf(stderr, "kolt_bench_gen: %s already holds a kolt.db\n", qPrintable(folder));
        return 1;
    }
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "kolt_bench_gen: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    ConsoleInterface console;
    SetUserInterface(&console);
    // Settings of whoever runs this must not leak into the reference data.
    qputenv("XDG_CONFIG_HOME", (folder + QStringLiteral("/.config")).toUtf8());
    StartCore(ExecutableFolder());
    App().CurrentUser = kUser;
    QElapsedTimer timer;
    timer.start();
    OpenDataFolder(folder);
    const int rc = empty ? 0 : generate(folder, scale);
    std::fprintf(stderr, "kolt_bench_gen: %lld ms\n", static_cast<long long>(timer.elapsed()));
    SetUserInterface(nullptr);
    return rc;
}
