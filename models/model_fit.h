// Places an imported model where the viewer's fixed camera sees all of it.
//
// The camera stands at the origin and looks along -z with a 45-degree
// vertical lens. The model is centred on its bounding box and scaled so that
// every vertex lies within kModelRadius of its centre; an entry translated to
// (0, 0, -kCameraDistance) then fits the view whichever way it is turned,
// which is what lets --spin turn it about its own centre.
#pragma once

#include "models/imported_model.h"

// A radius of 10 keeps six digits after the point in a component text of at
// most 10 characters ("-9.123456"), finer than a float holds at that size.
inline constexpr double kModelRadius = 10;
// A sphere of radius r fills a 45-degree lens at r / sin(22.5°) = 2.61 r;
// 2.75 r leaves a margin. Its far side, at 37.5, is well inside the far plane.
inline constexpr double kCameraDistance = 27.5;

// Moves and scales every vertex of `model` in place. A model whose vertices
// all coincide is only moved.
void FitModelToView(ImportedModel& model);
