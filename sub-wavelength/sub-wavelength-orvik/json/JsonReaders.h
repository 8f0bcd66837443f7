#pragma once

// Readers of the data file's value encodings: a plain number, a plain array,
// a "cell" object {"_type": "cell", "_data": [...]} and a "matrix" object
// {"_type": "matrix", "_complex": bool, "_size": [...], "_data": [...]} whose
// "_data" lists the elements first index fastest (the order of NdArray),
// real and imaginary part in turn when "_complex" is true.
//
// The matrix readers throw the int index of an error-table entry for their
// own checks and let the JSON library's exceptions through (missing member,
// wrong JSON type). The getters try the encodings in a fixed order, register
// every failed attempt as a note and throw only their final error, and only
// for a member that is not optional.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "NdArray.h"

namespace quelbrant {

// Appends the elements of matrix object j to nda and sets its extents. A
// real matrix gives elements with imaginary part 0; with "_complex" true an
// odd last number is ignored.
void makeNdArrayComplex(NdArrayComplex& nda, const nlohmann::json& j);

// As makeNdArrayComplex for a real array; a complex matrix is accepted when
// every imaginary part is 0.
void makeNdArrayReal(NdArrayReal& nda, const nlohmann::json& j);

// As makeNdArrayReal for integers: numbers are truncated toward zero, true
// and false read as 1 and 0; "_complex" is not read.
void makeNdArrayInt(NdArrayInt& ndaInt, const nlohmann::json& j);

// Member name of object j as one number: a JSON number or a real matrix of
// exactly one element.
double getdouble(const std::string& name, const nlohmann::json& j, bool optional, double defaultValue);

// A flag: JSON true or false, or a number read by getdouble, 0 being false.
bool getbool(const std::string& name, const nlohmann::json& j, bool optional, bool defaultValue);

// getdouble rounded to the nearest integer, halves away from zero; values
// beyond the range of int saturate at its ends, so that any range check of
// the caller still rejects them.
int getint(const std::string& name, const nlohmann::json& j, bool optional, int defaultValue);

// Member name of object j as a list: a single number, a cell, a non-empty
// real matrix (flat order) or a plain array of numbers, tried in this order.
void getdoublevector(std::vector<double>& result, const std::string& name, const nlohmann::json& j,
                     bool optional, const std::vector<double>& defaultValue);

}  // namespace quelbrant
