#pragma once
// The messages of the stops' georeferencing that the communication and the IVU-InfoPool export
// share: the set refused for its form, the two failures, after which the command goes on without
// coordinates, and the note of a set without points.

#include <string>

const std::string kGeoUnreadable =
    "ATTENZIONE: la georeferenziazione delle fermate è fallita.\n\n"
    "Non è stato possibile acquisire lo ShapeFile contenente le\n"
    "coordinate geografiche delle fermate.\n"
    "Pertanto la comunicazione verrà generata senza attribuire la\n"
    "georeferenziazione alle fermate.";
const std::string kGeoNotChosen =
    "ATTENZIONE: la georeferenziazione delle fermate è fallita.\n\n"
    "Non è stato indicato lo ShapeFile contenente le coordinate\n"
    "geografiche delle fermate.\n"
    "Pertanto la comunicazione verrà generata senza attribuire la\n"
    "georeferenziazione alle fermate.";
const std::string kGeoRefused =
    "ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n"
    "necessarie per effettuare l'importazione delle coordinate delle fermate.";
const std::string kGeoNoPoint =
    "ATTENZIONE: lo ShapeFile selezionato non contiene neppure una\n"
    "coordinata geografica attribuibile alle fermate utilizzate\n"
    "nella comunicazione corrente.\n\n"
    "Pertanto la comunicazione verrà generata senza attribuire la\n"
    "georeferenziazione alle fermate.";
