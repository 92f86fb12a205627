#include "Evaluation.h"

#include "Bout.h"
#include "platform/IntConvert.h"

namespace {

const QString kPS = QStringLiteral("PS");

void win(BoutResult& r, bool red, const QString& code, const QString& points)
{
    r.sieg = code;
    r.punkterot = red ? points : QStringLiteral("0");
    r.punkteblau = red ? QStringLiteral("0") : points;
}

void decideByPoints(int winner, int loser, bool red, BoutResult& r)
{
    win(r, red, kPS, QStringLiteral("1"));
    if (winner > loser + 2)
        win(r, red, kPS, QStringLiteral("2"));
    if (winner > loser + 7)
        win(r, red, kPS, QStringLiteral("3"));
    if (winner > loser + 14)
        win(r, red, QStringLiteral("TÜ"), QStringLiteral("4"));
}

} // namespace

namespace Evaluation {

void applyAutomaticCodes(Bout& b)
{
    if (b.cautionsRed() > 2)
        b.m_sieg_blau = QStringLiteral("DV");
    if (b.cautionsBlue() > 2)
        b.m_sieg_rot = QStringLiteral("DV");
    if (b.stil() == QLatin1String("G")) {
        if (b.passivityRed() > 3)
            b.m_sieg_blau = QStringLiteral("DS");
        if (b.passivityBlue() > 3)
            b.m_sieg_rot = QStringLiteral("DS");
    }
    emit b.changed();
}

void decide(const Bout& b, BoutResult& r)
{
    if (!b.sieg_rot().isEmpty() || !b.sieg_blau().isEmpty()) {
        if (!b.sieg_rot().isEmpty())
            win(r, true, b.sieg_rot(), QStringLiteral("4"));
        if (!b.sieg_blau().isEmpty())
            win(r, false, b.sieg_blau(), QStringLiteral("4"));
        if (!b.sieg_rot().isEmpty() && !b.sieg_blau().isEmpty())
            win(r, false, b.sieg_blau(), QStringLiteral("0"));
        return;
    }

    const int red = strToInt(b.tpr());
    const int blue = strToInt(b.tpb());
    if (red > blue) {
        decideByPoints(red, blue, true, r);
        return;
    }
    if (blue > red) {
        decideByPoints(blue, red, false, r);
        return;
    }

    // Equal points: three tie-breaks, each writing only when it decides; a later one
    // overrides an earlier one.
    const QString one = QStringLiteral("1");
    if (b.cautionsRed() == b.cautionsBlue()) {
        if (b.lastScorer() == QLatin1String("r"))
            win(r, true, kPS, one);
        else if (b.lastScorer() == QLatin1String("b"))
            win(r, false, kPS, one);
    } else {
        win(r, b.cautionsRed() < b.cautionsBlue(), kPS, one);
    }

    const int weightRed = 100 * b.count5Red() + 10 * b.count4Red() + b.count2Red();
    const int weightBlue = 100 * b.count5Blue() + 10 * b.count4Blue() + b.count2Blue();
    if (weightRed != weightBlue)
        win(r, weightRed > weightBlue, kPS, one);

    if (b.stil() == QLatin1String("G") && b.tpr() == QLatin1String("0") && b.tpb() == QLatin1String("0")) {
        const QString pe = QStringLiteral("PE");
        if (b.cautionsRed() != b.cautionsBlue())
            win(r, b.cautionsRed() < b.cautionsBlue(), pe, one);
        else if (b.lastPassivity() == QLatin1String("b"))
            win(r, true, pe, one);
        else if (b.lastPassivity() == QLatin1String("r"))
            win(r, false, pe, one);
    }
}

} // namespace Evaluation
