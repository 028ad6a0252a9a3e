#include "evidence/DeviceTypes.h"

#include "evidence/WideText.h"

namespace {

struct ModelEntry {
    const char* name;
    int type;
};

// The first name given for a type is its display name.
const ModelEntry kModels[] = {
    {"KDR-0401", 1},  {"KDR-0801", 2},   {"KDR-1601", 3},   {"KDR-0402H", 4},
    {"KDR-0802H", 5}, {"KDR-1602H", 6},  {"KNV-0410", 7},   {"KNV-0810", 8},
    {"KNV-1610", 9},  {"KNV-3210", 10},  {"KMC-0420", 11},  {"KMC-0820", 12},
    {"KIP-100", 13},  {"KIP-200", 14},   {"KHD-0430", 16},  {"KHD-0830", 17},
    {"KHD-1630", 18}, {"KHD-3230", 19},  {"KVM-0440", 24},  {"KVM-0840", 25},
    {"KFX-360", 26},  {"KFX-180", 27},   {"KDM-100", 28},   {"KDM-200", 29},
    {"KBX-0450", 30}, {"KBX-0850", 31},  {"KTR-0460", 32},  {"KTR-0860", 33},
    {"KLG-0470", 35}, {"KPT-500", 36},   {"KPT-510", 36},   {"KPT-520", 36},
    {"KEN-0480", 37}, {"KPB-0490", 38},  {"KUX-1", 40},     {"KUX-2", 40},
    {"KUX-4", 40},    {"KUX-8", 40},
};

} // namespace

int DeviceTypes::FromModelName(const QString& modelName)
{
    const QString name = WideText::UpToNul(modelName);
    for (const ModelEntry& entry : kModels) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0) {
            return entry.type;
        }
    }
    return kUnknown;
}

QString DeviceTypes::DisplayName(int type)
{
    for (const ModelEntry& entry : kModels) {
        if (entry.type == type) {
            return QString::fromLatin1(entry.name);
        }
    }
    return {};
}

int DeviceTypes::ModelNameCount()
{
    return static_cast<int>(sizeof kModels / sizeof kModels[0]);
}
