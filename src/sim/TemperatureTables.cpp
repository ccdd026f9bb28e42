#include "sim/TemperatureTables.h"

#include <cmath>
#include <string>

namespace voltora::sim {
namespace {

// One piece of a reference function: a polynomial in degrees Celsius, lowest
// degree first, valid up to `upper`.
struct Piece {
    double upper;
    std::vector<double> coefficients;
};

struct Thermocouple {
    char type;
    double lower;
    std::vector<Piece> pieces;
    // Where the built-in table starts: type B gives almost no emf (and a
    // non-monotonic one) below about 250 degrees, so its table starts there.
    double tableLower;
};

const std::vector<Thermocouple>& Thermocouples()
{
    static const std::vector<Thermocouple> thermocouples{
        {'B', 0.0,
         {{630.615, {0.0, -0.246508183460e-03, 0.590404211710e-05, -0.132579316360e-08, 0.156682919010e-11,
                     -0.169445292400e-14, 0.629903470940e-18}},
          {1820.0, {-0.389381686210e+01, 0.285717474700e-01, -0.848851047850e-04, 0.157852801640e-06,
                    -0.168353448640e-09, 0.111097940130e-12, -0.445154310330e-16, 0.989756408210e-20,
                    -0.937913302890e-24}}},
         250.0},
        {'E', -270.0,
         {{0.0, {0.0, 0.586655087080e-01, 0.454109771240e-04, -0.779980486860e-06, -0.258001608430e-07,
                 -0.594525830570e-09, -0.932140586670e-11, -0.102876055340e-12, -0.803701236210e-15,
                 -0.439794973910e-17, -0.164147763550e-19, -0.396736195160e-22, -0.558273287210e-25,
                 -0.346578420130e-28}},
          {1000.0, {0.0, 0.586655087100e-01, 0.450322755820e-04, 0.289084072120e-07, -0.330568966520e-09,
                    0.650244032700e-12, -0.191974955040e-15, -0.125366004970e-17, 0.214892175690e-20,
                    -0.143880417820e-23, 0.359608994810e-27}}},
         -270.0},
        {'J', -210.0,
         {{760.0, {0.0, 0.503811878150e-01, 0.304758369300e-04, -0.856810657200e-07, 0.132281952950e-09,
                   -0.170529583370e-12, 0.209480906970e-15, -0.125383953360e-18, 0.156317256970e-22}},
          {1200.0, {0.296456256810e+03, -0.149761277860e+01, 0.317871039240e-02, -0.318476867010e-05,
                    0.157208190040e-08, -0.306913690560e-12}}},
         -210.0},
        {'K', -270.0,
         {{0.0, {0.0, 0.394501280250e-01, 0.236223735980e-04, -0.328589067840e-06, -0.499048287770e-08,
                 -0.675090591730e-10, -0.574103274280e-12, -0.310888728940e-14, -0.104516093650e-16,
                 -0.198892668780e-19, -0.163226974860e-22}},
          {1372.0, {-0.176004136860e-01, 0.389212049750e-01, 0.185587700320e-04, -0.994575928740e-07,
                    0.318409457190e-09, -0.560728448890e-12, 0.560750590590e-15, -0.320207200030e-18,
                    0.971511471520e-22, -0.121047212750e-25}}},
         -270.0},
        {'N', -270.0,
         {{0.0, {0.0, 0.261591059620e-01, 0.109574842280e-04, -0.938411115540e-07, -0.464120397590e-10,
                 -0.263033577160e-11, -0.226534380030e-13, -0.760893007910e-16, -0.934196678350e-19}},
          {1300.0, {0.0, 0.259293946010e-01, 0.157101418800e-04, 0.438256272370e-07, -0.252611697940e-09,
                    0.643118193390e-12, -0.100634715190e-14, 0.997453389920e-18, -0.608632456070e-21,
                    0.208492293390e-24, -0.306821961510e-28}}},
         -270.0},
        {'R', -50.0,
         {{1064.18, {0.0, 0.528961729765e-02, 0.139166589782e-04, -0.238855693017e-07, 0.356916001063e-10,
                     -0.462347666298e-13, 0.500777441034e-16, -0.373105886191e-19, 0.157716482367e-22,
                     -0.281038625251e-26}},
          {1664.5, {0.295157925316e+01, -0.252061251332e-02, 0.159564501865e-04, -0.764085947576e-08,
                    0.205305291024e-11, -0.293359668173e-15}},
          {1768.1, {0.152232118209e+03, -0.268819888545e+00, 0.171280280471e-03, -0.345895706453e-07,
                    -0.934633971046e-14}}},
         -50.0},
        {'S', -50.0,
         {{1064.18, {0.0, 0.540313308631e-02, 0.125934289740e-04, -0.232477968689e-07, 0.322028823036e-10,
                     -0.331465196389e-13, 0.255744251786e-16, -0.125068871393e-19, 0.271443176145e-23}},
          {1664.5, {0.132900444085e+01, 0.334509311344e-02, 0.654805192818e-05, -0.164856259209e-08,
                    0.129989605174e-13}},
          {1768.1, {0.146628232636e+03, -0.258430516752e+00, 0.163693574641e-03, -0.330439046987e-07,
                    -0.943223690612e-14}}},
         -50.0},
        {'T', -270.0,
         {{0.0, {0.0, 0.387481063640e-01, 0.441944343470e-04, 0.118443231050e-06, 0.200329735540e-07,
                 0.901380195590e-09, 0.226511565930e-10, 0.360711542050e-12, 0.384939398830e-14,
                 0.282135219250e-16, 0.142515947790e-18, 0.487686622860e-21, 0.107955392700e-23,
                 0.139450270620e-26, 0.797951539270e-30}},
          {400.0, {0.0, 0.387481063640e-01, 0.332922278800e-04, 0.206182434040e-06, -0.218822568460e-08,
                   0.109968809280e-10, -0.308157587720e-13, 0.454791352900e-16, -0.275129016730e-19}}},
         -270.0},
    };
    return thermocouples;
}

const Thermocouple* FindThermocouple(char type)
{
    for (const Thermocouple& thermocouple : Thermocouples()) {
        if (thermocouple.type == type) {
            return &thermocouple;
        }
    }
    return nullptr;
}

double Polynomial(const std::vector<double>& coefficients, double x)
{
    double sum = 0.0;
    for (auto it = coefficients.end(); it != coefficients.begin();) {
        sum = sum * x + *--it;
    }
    return sum;
}

// Temperatures of a table: every `step` degrees from `lower`, and `upper`.
std::vector<double> TableTemperatures(double lower, double upper, double step)
{
    std::vector<double> temperatures;
    for (double t = lower; t < upper - 1e-9; t += step) {
        temperatures.push_back(t);
    }
    temperatures.push_back(upper);
    return temperatures;
}

std::vector<std::shared_ptr<const TransducerTable>> MakeThermocouples()
{
    std::vector<std::shared_ptr<const TransducerTable>> tables;
    for (const Thermocouple& thermocouple : Thermocouples()) {
        std::vector<TransducerPoint> points;
        const double upper = (thermocouple.pieces.end() - 1)->upper;
        for (double t : TableTemperatures(thermocouple.tableLower, upper, 10.0)) {
            points.push_back({*ThermocoupleMillivolts(thermocouple.type, t) / 1000.0, t});
        }
        tables.push_back(std::make_shared<const TransducerTable>(std::string(1, thermocouple.type) + "ITS90",
                                                                 false, std::move(points)));
    }
    return tables;
}

std::vector<std::shared_ptr<const TransducerTable>> MakeResistanceThermometers()
{
    std::vector<std::shared_ptr<const TransducerTable>> tables;
    for (double r0 : {100.0, 1000.0}) {
        std::vector<TransducerPoint> points;
        for (double t : TableTemperatures(-200.0, 850.0, 10.0)) {
            points.push_back({PlatinumResistance(r0, t), t});
        }
        tables.push_back(
            std::make_shared<const TransducerTable>(r0 == 100.0 ? "PT100" : "PT1000", true, std::move(points)));
    }
    return tables;
}

}  // namespace

std::optional<double> ThermocoupleMillivolts(char type, double celsius)
{
    const Thermocouple* thermocouple = FindThermocouple(type);
    if (thermocouple == nullptr || !(celsius >= thermocouple->lower)) {
        return std::nullopt;
    }
    for (const Piece& piece : thermocouple->pieces) {
        if (celsius <= piece.upper) {
            double emf = Polynomial(piece.coefficients, celsius);
            if (type == 'K' && celsius > 0.0) {
                // Type K's positive range has an extra exponential term.
                const double d = celsius - 0.126968600000e+03;
                emf += 0.118597600000e+00 * std::exp(-0.118343200000e-03 * d * d);
            }
            return emf;
        }
    }
    return std::nullopt;
}

double PlatinumResistance(double r0, double celsius)
{
    constexpr double kA = 3.9083e-3;
    constexpr double kB = -5.775e-7;
    constexpr double kC = -4.183e-12;
    double ratio = 1.0 + kA * celsius + kB * celsius * celsius;
    if (celsius < 0.0) {
        ratio += kC * (celsius - 100.0) * celsius * celsius * celsius;
    }
    return r0 * ratio;
}

const std::vector<std::shared_ptr<const TransducerTable>>& BuiltInThermocouples()
{
    static const auto tables = MakeThermocouples();
    return tables;
}

const std::vector<std::shared_ptr<const TransducerTable>>& BuiltInResistanceThermometers()
{
    static const auto tables = MakeResistanceThermometers();
    return tables;
}

double CelsiusTo(TemperatureUnit unit, double celsius)
{
    switch (unit) {
    case TemperatureUnit::Fahrenheit:
        return celsius * 9.0 / 5.0 + 32.0;
    case TemperatureUnit::Kelvin:
        return celsius + 273.15;
    case TemperatureUnit::Celsius:
        break;
    }
    return celsius;
}

double CelsiusFrom(TemperatureUnit unit, double value)
{
    switch (unit) {
    case TemperatureUnit::Fahrenheit:
        return (value - 32.0) * 5.0 / 9.0;
    case TemperatureUnit::Kelvin:
        return value - 273.15;
    case TemperatureUnit::Celsius:
        break;
    }
    return value;
}

std::string_view UnitLetter(TemperatureUnit unit)
{
    switch (unit) {
    case TemperatureUnit::Fahrenheit:
        return "F";
    case TemperatureUnit::Kelvin:
        return "K";
    case TemperatureUnit::Celsius:
        break;
    }
    return "C";
}

}  // namespace voltora::sim
