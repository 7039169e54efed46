// Where the satellites' numbers stand on the sky plot. A number stands on its
// own mark unless it would cover another satellite's mark, another number or
// a fixed text of the view; then it moves beside its mark, to the nearest
// free place. Marks never move: they show where the satellites are.
#pragma once

#include <QRect>
#include <vector>

struct SkyLabelRequest {
    QRect Mark;       // the satellite's mark
    QRect Preferred;  // the number's text where it stands on the mark
};

// The text rectangle chosen for each request, in request order; a null
// rectangle where no free place is left (the number is then not shown).
// Every chosen rectangle lies inside 'bounds' and overlaps no other chosen
// rectangle, no other request's mark and no rectangle of 'fixed'.
std::vector<QRect> PlaceSkyLabels(const std::vector<SkyLabelRequest>& requests, const QRect& bounds,
                                  const std::vector<QRect>& fixed);
