// The faces of a cell as the mesh builder emits them: flat tops and bottoms, sides, the caps of
// smoothed edges, and each triangle with its outline.

#include "render/PoxelGeometryBuilder.h"

#include <algorithm>
#include <cmath>

namespace lw::meshing {

void Builder::flatFace(const FaceDef& f, const Slots& s) {
    kind_ = FaceTag::Flat;
    const bool eL = emptyAt(f.L + f.N), eF = emptyAt(f.F + f.N), eR = emptyAt(f.R + f.N),
               eB = emptyAt(f.B + f.N);
    const bool openL = emptyAt(f.L) && eL, openF = emptyAt(f.F) && eF, openR = emptyAt(f.R) && eR,
               openB = emptyAt(f.B) && eB;
    auto skip = [this](Dir a, Dir b) { return emptyAt(a) && emptyAt(b) && emptyAt(a + b); };
    const bool skipLF = skip(f.L, f.F), skipRF = skip(f.R, f.F), skipRB = skip(f.R, f.B),
               skipLB = skip(f.L, f.B);

    std::array<FV, 4> P;
    for (size_t i = 0; i < 4; ++i)
        P[i] = FV{s.P[i], s.T[i], s.C[i]};
    FV C = midFV(P[0], P[1]), D = midFV(P[1], P[2]), E = midFV(P[2], P[3]), F = midFV(P[3], P[0]);
    TVec3 Cq = mid(s.Q[0], s.Q[1]), Dq = mid(s.Q[1], s.Q[2]), Eq = mid(s.Q[2], s.Q[3]),
          Fq = mid(s.Q[3], s.Q[0]);
    FV S{mid(C.P, E.P),
         mid(C.T, E.T),
         {P[0].C.R, P[0].C.G, P[0].C.B, (P[0].C.A + P[1].C.A + P[2].C.A + P[3].C.A) * 0.25f}};

    if (sideSmooth_) {
        const FV C0 = C, D0 = D, E0 = E, F0 = F;
        const TVec3 Cq0 = Cq, Dq0 = Dq, Eq0 = Eq, Fq0 = Fq;
        auto move = [](FV& m, TVec3& mq, const FV& target, const TVec3& targetQ) {
            m.P = toward(m.P, target.P, kSixth);
            mq = toward(mq, targetQ, kSixth);
            m.T = toward(m.T, target.T, kSixth);
        };
        if (openL)
            move(C, Cq, E0, Eq0);
        if (openF)
            move(D, Dq, F0, Fq0);
        if (openR)
            move(E, Eq, C0, Cq0);
        if (openB)
            move(F, Fq, D0, Dq0);
    }

    if (topSmooth_) {
        auto round4 = [this, &f](Dir a, Dir b) {
            return emptyAt(a + b) && emptyAt(b + f.N) && emptyAt(a + f.N) && emptyAt(a + b + f.N);
        };
        auto round3 = [this, &f](Dir a, Dir b) {
            return emptyAt(b + f.N) && emptyAt(a + f.N) && emptyAt(a + b + f.N);
        };
        const bool roundLF4 = round4(f.L, f.F), roundRF4 = round4(f.R, f.F),
                   roundRB4 = round4(f.R, f.B), roundLB4 = round4(f.L, f.B);
        // How far an edge midpoint sinks toward the one behind it: `across` = either of the
        // two neighbouring edges is open, `open`/`e` = this edge, `ends` = both neighbouring
        // edges have no upper neighbour.
        auto edgeT = [](bool across, bool open, bool e, bool ends, bool round) {
            if (across && open && ends)
                return 0.7f;
            if (across && !open && e)
                return 0.95f;
            if (!across && !open && round)
                return 0.95f;
            if (!across && open && ends)
                return 0.8f;
            return 1.0f;
        };
        const float tC = edgeT(openF || openB, openL, eL, eF && eB, roundLF4 || roundLB4);
        const float tE = edgeT(openF || openB, openR, eR, eF && eB, roundRF4 || roundRB4);
        const float tD = edgeT(openL || openR, openF, eF, eL && eR, roundLF4 || roundRF4);
        const float tF = edgeT(openL || openR, openB, eB, eL && eR, roundLB4 || roundRB4);
        auto sink = [](FV& m, const TVec3& behind, float t) {
            if (t != 1.0f)
                m.P = blend(m.P, behind, t);
        };
        sink(C, Cq, tC);
        sink(D, Dq, tD);
        sink(E, Eq, tE);
        sink(F, Fq, tF);
        const std::array<bool, 4> pull{
            (openL || openB || roundLB4) && round3(f.L, f.B),
            (openL || openF || roundLF4) && round3(f.L, f.F),
            (openF || openR || roundRF4) && round3(f.R, f.F),
            (openB || openR || roundRB4) && round3(f.R, f.B),
        };
        for (size_t i = 0; i < 4; ++i)
            if (pull[i])
                P[i].P = blend(P[i].P, s.Q[i], 0.75f);
        const TVec3 across = mid(D.P, F.P), along = mid(C.P, E.P);
        S.P = lengthSquared(along) > lengthSquared(across) ? along : across;
    }

    if (!skipLF)
        tri(C, P[1], D, kAB | kBC);
    tri(C, D, S, 0);
    tri(C, S, F, 0);
    if (!skipLB)
        tri(C, F, P[0], kBC | kCA);
    if (!skipRF) {
        tri(D, P[2], S, kAB);
        tri(P[2], E, S, kAB);
    } else {
        tri(D, E, S, kAB);
    }
    if (skipRB) {
        tri(S, E, F, kBC);
    } else {
        tri(S, E, P[3], kBC);
        tri(S, P[3], F, kBC);
    }
}

void Builder::sideFace(const FaceDef& f, const Slots& s) {
    kind_ = FaceTag::Side;
    const Dir L = f.L, F = f.F, R = f.R, B = f.B, N = f.N;
    const bool openF = emptyAt(F) && emptyAt(F + N), openB = emptyAt(B) && emptyAt(B + N);
    const bool uN = emptyAt(L + N), uB = emptyAt(L + B), dN = emptyAt(R + N), dF = emptyAt(R + F);
    const bool upX = emptyAt(L) && emptyAt(L + N) && emptyAt(L - N);
    const bool downX = emptyAt(R) && emptyAt(R + N) && emptyAt(R - N);
    const bool upAll = emptyAt(L) && emptyAt(L + N) && emptyAt(L + F) && emptyAt(L + B);
    const bool downAll = emptyAt(R) && emptyAt(R + N) && emptyAt(R + F) && emptyAt(R + B);
    const bool upF = emptyAt(L) && emptyAt(L + N) && emptyAt(L + F) && emptyAt(L + N + F);
    const bool upB = emptyAt(L) && emptyAt(L + N) && emptyAt(L + B) && emptyAt(L + N + B);
    const bool downF = emptyAt(R) && emptyAt(R + N) && emptyAt(R + F) && emptyAt(R + N + F);
    const bool downB = emptyAt(R) && emptyAt(R + N) && emptyAt(R + B) && emptyAt(R + N + B);

    std::array<FV, 4> P;
    for (size_t i = 0; i < 4; ++i)
        P[i] = FV{s.P[i], s.T[i], s.C[i]};
    FV C = midFV(P[0], P[1]), E = midFV(P[2], P[3]);
    TVec3 Ct = C.P, Eb = E.P;

    if (sideSmooth_) {
        const TVec3 Dq = mid(s.Q[0], s.Q[1]), Fq = mid(s.Q[2], s.Q[3]);
        const TVec3 C0 = C.P, E0 = E.P;
        if (uN) {
            C.P = toward(C0, Dq, kSixth);
            Eb = toward(E0, Fq, kSixth);
        }
        if (dN) {
            E.P = toward(E0, Fq, kSixth);
            Ct = toward(C0, Dq, kSixth);
        }
    }
    if (topSmooth_) {
        const float t = openF || openB ? 0.7f : 0.8f;
        if (upAll)
            C.P = blend(C.P, Eb, t);
        if (downAll)
            E.P = blend(E.P, Ct, t);
        const TVec3 P0 = P[0].P, P1 = P[1].P;
        if (upF)
            P[1].P = blend(P1, P[2].P, 0.75f);
        if (downF)
            P[2].P = blend(P[2].P, P1, 0.75f);
        if (upB)
            P[0].P = blend(P0, P[3].P, 0.75f);
        if (downB)
            P[3].P = blend(P[3].P, P0, 0.75f);
    }

    // The bevel points sit halfway between a face corner and the corner behind it.
    auto bevelTex = [this, &s](size_t i, const TTexCoord& untextured) {
        if (!textured_)
            return untextured;
        const Dir a = s.PCell[i], b = s.QCell[i];
        return mapTex(TexRows::Side, static_cast<float>(x_) + (a.x + b.x) * 0.5f,
                      static_cast<float>(y_) + (a.y + b.y) * 0.5f,
                      static_cast<float>(z_) + (a.z + b.z) * 0.5f);
    };

    if (openF) {
        TVec3 V = mid(s.P[2], s.Q[2]);
        if (topSmooth_ && downX)
            V = blend(V, mid(s.Q[1], s.P[1]), 0.7f);
        if (sideSmooth_ && dF) {
            TVec3 W = mid(s.P[3], s.Q[3]);
            if (topSmooth_ && downX)
                W = blend(W, mid(s.Q[0], s.P[0]), 0.7f);
            V = toward(V, W, kSixth);
        }
        tri(C, FV{V, bevelTex(2, E.T), E.C}, E, kBC);
    } else {
        tri(P[1], P[2], C, kAB | kCA);
        tri(C, P[2], E, 0);
    }
    if (openB) {
        TVec3 V = mid(s.Q[0], s.P[0]);
        if (topSmooth_ && upX)
            V = blend(V, mid(s.Q[3], s.P[3]), 0.7f);
        if (sideSmooth_ && uB) {
            TVec3 W = mid(s.P[1], s.Q[1]);
            if (topSmooth_ && upX)
                W = blend(W, mid(s.Q[2], s.P[2]), 0.7f);
            V = toward(V, W, kSixth);
        }
        tri(FV{V, bevelTex(0, C.T), C.C}, C, E, kAB);
    } else {
        tri(E, P[0], C, 0);
        tri(P[0], E, P[3], kBC);
    }
}

void Builder::capFace(const FaceDef& f, const Slots& s, Dir T) {
    // A corner of this layer that is cut while the layer beyond T keeps it.
    auto open = [this, T](Dir a, Dir b) {
        return emptyAt(a) && emptyAt(b) && emptyAt(a + b) &&
               !(emptyAt(T + a) && emptyAt(T + b) && emptyAt(T + a + b));
    };
    const bool openLF = open(f.L, f.F), openFR = open(f.F, f.R), openRB = open(f.R, f.B),
               openBL = open(f.B, f.L);
    if (!(openLF || openFR || openRB || openBL))
        return;
    kind_ = FaceTag::Cap;
    std::array<FV, 4> Q;
    for (size_t i = 0; i < 4; ++i)
        Q[i] = FV{s.Q[i], s.T[i], s.C[i]};
    FV C = midFV(Q[0], Q[1]), D = midFV(Q[1], Q[2]), E = midFV(Q[2], Q[3]), F = midFV(Q[3], Q[0]);
    if (sideSmooth_) {
        const FV C0 = C, D0 = D, E0 = E, F0 = F;
        auto move = [](FV& m, const FV& target) {
            m.P = toward(m.P, target.P, kSixth);
            m.T = toward(m.T, target.T, kSixth);
        };
        if (emptyAt(T + f.L))
            move(C, E0);
        if (emptyAt(T + f.F))
            move(D, F0);
        if (emptyAt(T + f.R))
            move(E, C0);
        if (emptyAt(T + f.B))
            move(F, D0);
    }
    constexpr unsigned all = kAB | kBC | kCA;
    if (openLF)
        tri(C, Q[1], D, all);
    if (openFR)
        tri(D, Q[2], E, all);
    if (openRB)
        tri(E, Q[3], F, all);
    if (openBL)
        tri(F, Q[0], C, all);
}

void Builder::tri(const FV& a, const FV& b, const FV& c, unsigned outline) {
    if (ExportCollector* ex = extras_.Export) {
        const auto kind = static_cast<uint8_t>(kind_);
        const int32_t ic = ex->FindOrAddExportVertex(c.P, c.T, kind);
        const int32_t ib = ex->FindOrAddExportVertex(b.P, b.T, kind);
        const int32_t ia = ex->FindOrAddExportVertex(a.P, a.T, kind);
        ex->AddExportFace(ia, ib, ic, static_cast<int>(outline), tex1_);
    }
    m_.Triangles.push_back(MeshTriangle{tex1_, tex0_, kind_});
    if (direct_) {
        // Picking: flat identity colour, no outline, not part of the pick list.
        for (const FV* v : {&a, &b, &c})
            m_.Vertices.push_back(MeshVertex{v->T, identityColour_, TVec3{}, v->P});
        return;
    }
    const TVec3 n = cross(a.P - c.P, b.P - a.P);
    const MeshVertex vertices[3] = {{a.T, a.C, n, a.P}, {b.T, b.C, n, b.P}, {c.T, c.C, n, c.P}};
    m_.Vertices.insert(m_.Vertices.end(), std::begin(vertices), std::end(vertices));
    const TVec3 positions[3] = {a.P, b.P, c.P};
    m_.PickVertices.insert(m_.PickVertices.end(), std::begin(positions), std::end(positions));
    auto edge = [this](const TVec3& from, const TVec3& to) {
        m_.EdgeVertices.push_back(from);
        m_.EdgeVertices.push_back(to);
    };
    if (outline & kAB)
        edge(a.P, b.P);
    if (outline & kBC)
        edge(b.P, c.P);
    if (outline & kCA)
        edge(c.P, a.P);
}

} // namespace lw::meshing
