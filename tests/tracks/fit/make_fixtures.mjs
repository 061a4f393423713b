// Makes the FIT files the track tests read, and what the official FIT SDK's decoder reads from
// each (raw values: FIT time stamps, semicircles, centimetres, millimetres a second), so that
// the tests compare our reader with it without node or the network:
//   cd tests/tracks/fit && npm ci && npm run fixtures
// The ride is the plan of tests/tracks/support/test_ride.h.
import { CrcCalculator, Decoder, Encoder, Profile, Stream } from "@garmin/fitsdk";
import { writeFileSync } from "node:fs";

const FIT_EPOCH = 631065600;
const START = 1715985000; // 2024-05-17T22:30:00Z
const LAT0 = 50.0;
const LON = 14.4;
const METRES_PER_DEGREE = 111229; // of meridian near 50 N: what our pretend device measures
const PLAN = [
    { until: 300, step: 0.00005, gap: 0, gapStep: 0 },
    { until: 360, step: 0, gap: 0, gapStep: 0 },
    { until: 420, step: 0.0001, gap: 300, gapStep: 0 },
    { until: 1020, step: 0.00005, gap: 60, gapStep: 60 * 0.00005 },
    { until: 1200, step: 0.00005, gap: 0, gapStep: 0 },
];
const JUMP_AT = 150;
const JUMP_EAST = 0.005;

const semicircles = (degrees) => Math.round((degrees * 2 ** 31) / 180);

function testRide() {
    const ride = [{ t: 0, lat: LAT0, lon: LON, distance: 0, speed: 0 }];
    let t = 0;
    let lat = LAT0;
    let distance = 0;
    const add = (second, newLat) => {
        const step = (newLat - lat) * METRES_PER_DEGREE;
        distance += step;
        ride.push({
            t: second,
            lat: newLat,
            lon: second === JUMP_AT ? LON + JUMP_EAST : LON,
            distance,
            speed: step / (second - t),
        });
        lat = newLat;
        t = second;
    };
    for (const phase of PLAN) {
        while (t < phase.until) add(t + 1, lat + phase.step);
        if (phase.gap > 0) add(t + phase.gap, lat + phase.gapStep);
    }
    return ride;
}

const date = (t) => new Date((START + t) * 1000);

function encoded(ride, { device, session }) {
    const encoder = new Encoder();
    encoder.onMesg(Profile.MesgNum.FILE_ID, {
        type: "activity",
        manufacturer: "development",
        product: 1,
        serialNumber: 1234,
        timeCreated: date(0),
    });
    encoder.onMesg(Profile.MesgNum.EVENT, {
        timestamp: date(0),
        event: "timer",
        eventType: "start",
    });
    for (const s of ride) {
        const record = {
            timestamp: date(s.t),
            positionLat: semicircles(s.lat),
            positionLong: semicircles(s.lon),
        };
        if (device) {
            record.distance = s.distance;
            record.enhancedSpeed = s.speed;
        }
        encoder.onMesg(Profile.MesgNum.RECORD, record);
    }
    const last = ride[ride.length - 1];
    if (session) {
        const totals = {
            timestamp: date(last.t),
            startTime: date(0),
            totalElapsedTime: last.t,
            totalTimerTime: 840,
            totalDistance: last.distance,
            enhancedMaxSpeed: 0.0001 * METRES_PER_DEGREE,
        };
        encoder.onMesg(Profile.MesgNum.LAP, { ...totals, messageIndex: 0 });
        encoder.onMesg(Profile.MesgNum.SESSION, {
            ...totals,
            messageIndex: 0,
            sport: "cycling",
            firstLapIndex: 0,
            numLaps: 1,
        });
    }
    return encoder.close();
}

// A file the SDK's encoder does not write: big-endian messages, a 14-byte header with its
// checksum, fields we pass over (heart rate, altitude), developer data, a local message type
// defined twice, and a session with the older 16-bit maximum speed.
function bigEndian(ride) {
    const bytes = [];
    const u8 = (v) => bytes.push(v & 0xff);
    const u16 = (v) => bytes.push((v >> 8) & 0xff, v & 0xff);
    const u32 = (v) => bytes.push((v >>> 24) & 0xff, (v >>> 16) & 0xff, (v >>> 8) & 0xff, v & 0xff);
    const s32 = (v) => u32(v >>> 0);
    const define = (local, global, fields, developer = []) => {
        u8(0x40 | (developer.length ? 0x20 : 0) | local);
        u8(0);
        u8(1); // big endian
        u16(global);
        u8(fields.length);
        for (const [num, size, type] of fields) u8(num), u8(size), u8(type);
        if (developer.length) {
            u8(developer.length);
            for (const [num, size, index] of developer) u8(num), u8(size), u8(index);
        }
    };
    // file_id: type, manufacturer, product, time_created
    define(0, 0, [[0, 1, 0x00], [1, 2, 0x84], [2, 2, 0x84], [4, 4, 0x86]]);
    u8(0), u8(4), u16(255), u16(1), u32(START - FIT_EPOCH);
    // record: timestamp, lat, long, heart rate, distance, altitude, speed, and 2 developer bytes
    const recordFields = [
        [253, 4, 0x86], [0, 4, 0x85], [1, 4, 0x85], [3, 1, 0x02],
        [5, 4, 0x86], [2, 2, 0x84], [6, 2, 0x84],
    ];
    define(1, 20, recordFields, [[0, 2, 0]]);
    ride.forEach((s, i) => {
        if (i === 600) define(1, 20, recordFields, [[0, 2, 0]]); // the same local type again
        u8(1);
        u32(START + s.t - FIT_EPOCH);
        s32(semicircles(s.lat));
        s32(semicircles(s.lon));
        u8(120 + (i % 40));
        u32(Math.round(s.distance * 100));
        u16((250 + 500) * 5);
        u16(Math.round(s.speed * 1000));
        u16(0xbeef);
    });
    const last = ride[ride.length - 1];
    // session: timestamp, start_time, total_timer_time, total_distance, max_speed
    define(2, 18, [[253, 4, 0x86], [2, 4, 0x86], [8, 4, 0x86], [9, 4, 0x86], [15, 2, 0x84]]);
    u8(2);
    u32(START + last.t - FIT_EPOCH);
    u32(START - FIT_EPOCH);
    u32(840 * 1000);
    u32(Math.round(last.distance * 100));
    u16(Math.round(0.0001 * METRES_PER_DEGREE * 1000));

    const header = [14, 0x20, 0x08, 0x52, 0, 0, 0, 0, 0x2e, 0x46, 0x49, 0x54];
    const size = bytes.length;
    header[4] = size & 0xff;
    header[5] = (size >> 8) & 0xff;
    header[6] = (size >> 16) & 0xff;
    header[7] = (size >>> 24) & 0xff;
    const headerCrc = CrcCalculator.calculateCRC(new Uint8Array(header), 0, 12);
    const file = [...header, headerCrc & 0xff, headerCrc >> 8, ...bytes];
    const crc = CrcCalculator.calculateCRC(new Uint8Array(file), 0, file.length);
    return new Uint8Array([...file, crc & 0xff, crc >> 8]);
}

// What the SDK's decoder reads, in raw values, one line a record and one for the session.
function decoded(fileBytes) {
    const decoder = new Decoder(Stream.fromByteArray(Array.from(fileBytes)));
    if (!decoder.checkIntegrity()) throw new Error("the SDK finds the file damaged");
    const { messages, errors } = decoder.read({
        applyScaleAndOffset: false,
        expandComponents: false,
        expandSubFields: false,
        convertTypesToStrings: false,
        convertDateTimesToDates: false,
        mergeHeartRates: false,
    });
    if (errors.length) throw new Error(errors.join("; "));
    const value = (v) => (v === undefined || v === null ? "-" : String(v));
    const lines = ["# timestamp position_lat position_long distance speed"];
    for (const r of messages.recordMesgs ?? []) {
        const speed = r.enhancedSpeed ?? r.speed;
        lines.push(["record", r.timestamp, r.positionLat, r.positionLong, r.distance, speed].map(value).join(" "));
    }
    for (const s of messages.sessionMesgs ?? []) {
        const max = s.enhancedMaxSpeed ?? s.maxSpeed;
        lines.push(["session", s.startTime, s.totalDistance, s.totalTimerTime, max].map(value).join(" "));
    }
    return lines.join("\n") + "\n";
}

const ride = testRide();
const fixtures = {
    "ride.fit": encoded(ride, { device: true, session: true }),
    "positions.fit": encoded(ride, { device: false, session: false }),
    "bigendian.fit": bigEndian(ride),
};
for (const [name, bytes] of Object.entries(fixtures)) {
    writeFileSync(name, bytes);
    writeFileSync(name.replace(".fit", ".sdk.txt"), decoded(bytes));
}
